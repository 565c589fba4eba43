#pragma once

#include <memory>
#include <string_view>

class QDN_network;
class QDN_fileFormat;

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
// regard to ASCII case with the registered extensions; -2 for a null name,
// no dot or an unknown extension.
int FormatFromExtension(const char* fileName);

// The format number a file's first bytes show (files are often named by
// convention rather than by a registered extension), or -2 when they match
// no format or the file cannot be read.
int FormatFromContent(const char* fileName);
// The same for bytes already in memory (the start of a file).
int FormatFromText(std::string_view head);
// A registered format number's name ("Netica", ...), or "unknown".
const char* FormatName(int formatNumber);

// The format table: for each format number, the name, the file extension
// and the factory of its format objects. The network layer only reads it;
// the formats fill it (QDN_RegisterFormats in xml/QDN_registerFormats.h
// registers all of them). A format without an entry is unknown to reads and
// writes, to FormatName and to FormatFromExtension.
using QDN_formatFactory = std::unique_ptr<QDN_fileFormat> (*)(QDN_network* network);
struct QDN_formatEntry {
  const char* name = nullptr;      // "Netica"
  const char* extension = nullptr; // "dne", without the dot
  QDN_formatFactory create = nullptr;
};
// Sets the entry of formatNumber (1 to 9); an entry without a factory
// removes the format. False (nothing changed) for another number.
bool QDN_RegisterFormat(int formatNumber, const QDN_formatEntry& entry);
// The entry of formatNumber, or null when the format is not registered.
const QDN_formatEntry* QDN_FindFormat(int formatNumber);
