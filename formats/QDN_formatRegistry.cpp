#include "formats/QDN_formatRegistry.h"

#include <memory>

#include "formats/bif/QDN_bifFormat.h"
#include "formats/ergo/QDN_ergoFormat.h"
#include "formats/hugin/QDN_huginFormat.h"
#include "formats/ki/QDN_kiFormat.h"
#include "formats/msbn/QDN_msbnFormat.h"
#include "formats/native/QDN_qdnFormat.h"
#include "formats/netica/QDN_neticaFormat.h"
#include "formats/xmlbif/QDN_xmlbifFormat.h"
#include "network/QDN_formatDispatch.h"

namespace {

template <typename Format> std::unique_ptr<QDN_fileFormat> Create(QDN_network* network) {
  return std::make_unique<Format>(network);
}

} // namespace

void QDN_RegisterTextFormats() {
  QDN_RegisterFormat(QDN_FORMAT_ERGO, {"Ergo", "erg", &Create<QDN_ergoFormat>});
  QDN_RegisterFormat(QDN_FORMAT_NETICA, {"Netica", "dne", &Create<QDN_neticaFormat>});
  QDN_RegisterFormat(QDN_FORMAT_MSBN, {"MSBN", "dsc", &Create<QDN_msbnFormat>});
  QDN_RegisterFormat(QDN_FORMAT_QDN, {"native text", "qdn", &Create<QDN_qdnFormat>});
  QDN_RegisterFormat(QDN_FORMAT_HUGIN, {"Hugin", "net", &Create<QDN_huginFormat>});
  QDN_RegisterFormat(QDN_FORMAT_XMLBIF, {"XMLBIF 0.3", "xml03", &Create<QDN_xmlbifFormat>});
  QDN_RegisterFormat(QDN_FORMAT_KI, {"KI", "dxp", &Create<QDN_kiFormat>});
  QDN_RegisterFormat(QDN_FORMAT_BIF, {"BIF", "bif", &Create<QDN_bifFormat>});
}
