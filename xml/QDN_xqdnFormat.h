#pragma once

#include "formats/text/QDN_textFormat.h"

// The native XML format (format 8, ".xqdn"): the network under a "brima"
// document element, with the presentation extension "norix". Read with the
// schema-driven reader over Expat, written with the indenting XML writer.
class QDN_xqdnFormat : public QDN_textFormat {
public:
  explicit QDN_xqdnFormat(QDN_network* network) : QDN_textFormat(network) {}
  // 0, or -103 when the document is refused (the log holds the "Error at" text).
  int ReadFile(const char* fileName, int flags) override;
  // 0, or -103 when the file cannot be written.
  int WriteFile(const char* fileName) override;
};

// Where the format's messages send users for a newer version.
inline constexpr const char* kXqdnWebAddress = "https://callbrima.example.org/download";
