#include "network/QDN_formatDispatch.h"
#include "core/QDN_text.h"

#include <cstring>
#include <string_view>

#include "core/QDN_status.h"

namespace {

QDN_formatFactory format8_factory = nullptr;

} // namespace

int FormatFromExtension(const char* fileName) {
  if (!fileName) return QDN_OUT_OF_RANGE;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot) return QDN_OUT_OF_RANGE;
  static constexpr std::string_view kExtensions[] = {"erg",   "dne", "dsc",  "qdn", "net",
                                                     "xml03", "dxp", "xqdn", "bif"};
  for (int i = 0; i < 9; ++i)
    if (QDN_EqualsIgnoringCase(dot + 1, kExtensions[i])) return i + 1;
  return QDN_OUT_OF_RANGE;
}

void QDN_SetFormat8Factory(QDN_formatFactory factory) { format8_factory = factory; }
QDN_formatFactory QDN_GetFormat8Factory() { return format8_factory; }
