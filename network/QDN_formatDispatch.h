#pragma once

#include <memory>
#include <string_view>

class QDN_network;
class QDN_textFormat;

// Format numbers of the model-file formats; 0 chooses by the file's extension.
enum QDN_formatNumber {
  QDN_FORMAT_BY_EXTENSION = 0,
  QDN_FORMAT_ERGO = 1,
  QDN_FORMAT_NETICA = 2,
  QDN_FORMAT_MSBN = 3,
  QDN_FORMAT_QDN = 4,
  QDN_FORMAT_HUGIN = 5,
  QDN_FORMAT_XMLBIF = 6,
  QDN_FORMAT_KI = 7,
  QDN_FORMAT_XQDN = 8,
  QDN_FORMAT_BIF = 9,
};

// The format number (1 to 9) of a file name's extension, compared without
// regard to ASCII case; -2 for a null name, no dot or an unknown extension.
int FormatFromExtension(const char* fileName);

// The format number a file's first bytes show (files are often named by
// convention rather than by a registered extension), or -2 when they match
// no format or the file cannot be read.
int FormatFromContent(const char* fileName);
// The same for bytes already in memory (the start of a file).
int FormatFromText(std::string_view head);
// A format number's name ("Netica", ...), or "unknown".
const char* FormatName(int formatNumber);

// Creates the native XML format object; filled by the host bridge's registration.
using QDN_formatFactory = std::unique_ptr<QDN_textFormat> (*)(QDN_network* network);
void QDN_SetFormat8Factory(QDN_formatFactory factory);
QDN_formatFactory QDN_GetFormat8Factory();
