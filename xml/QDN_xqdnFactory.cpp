#include "xml/QDN_xqdnFactory.h"

#include "xml/QDN_xqdnFormat.h"

std::unique_ptr<QDN_textFormat> QDN_CreateXqdnFormat(QDN_network* network) {
  return std::make_unique<QDN_xqdnFormat>(network);
}
