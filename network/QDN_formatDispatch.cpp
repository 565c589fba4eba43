#include "network/QDN_formatDispatch.h"

#include <cstring>
#include <string_view>

#include "core/QDN_status.h"

namespace {

QDN_formatFactory format8_factory = nullptr;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

} // namespace

int FormatFromExtension(const char* fileName) {
  if (!fileName) return QDN_OUT_OF_RANGE;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot) return QDN_OUT_OF_RANGE;
  static constexpr std::string_view kExtensions[] = {"erg", "dne",   "dsc", "qdn",
                                                     "net", "xml03", "dxp", "xqdn"};
  for (int i = 0; i < 8; ++i)
    if (EqualsIgnoringCase(dot + 1, kExtensions[i])) return i + 1;
  return QDN_OUT_OF_RANGE;
}

void QDN_SetFormat8Factory(QDN_formatFactory factory) { format8_factory = factory; }
QDN_formatFactory QDN_GetFormat8Factory() { return format8_factory; }
