#include "xml/QDN_registerFormats.h"

#include <memory>

#include "formats/QDN_formatRegistry.h"
#include "formats/text/QDN_textFormat.h"
#include "network/QDN_formatDispatch.h"
#include "xml/QDN_xqdnFactory.h"

namespace {

std::unique_ptr<QDN_fileFormat> CreateXqdn(QDN_network* network) {
  return QDN_CreateXqdnFormat(network);
}

} // namespace

void QDN_RegisterFormats() {
  QDN_RegisterTextFormats();
  QDN_RegisterFormat(QDN_FORMAT_XQDN, {"native XML", "xqdn", &CreateXqdn});
}
