#include "xml/QDN_xqdnFactory.h"

#include "formats/text/QDN_textFormat.h"

std::unique_ptr<QDN_textFormat> QDN_CreateXqdnFormat(QDN_network*) {
  // The native XML reader and writer are not part of this build yet; the
  // dispatch answers "Unknown File Format" for a missing format object.
  return nullptr;
}
