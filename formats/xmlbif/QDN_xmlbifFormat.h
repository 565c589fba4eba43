#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/text/QDN_textFormat.h"
#include "formats/xmlbif/name_index.h"
#include "formats/xmlbif/xml_scanner.h"

class QDN_Dmatrix;
class QDN_extraDefinition;
class QDN_idArray;

// XMLBIF 0.3 (format 6, ".xml03"): variables with their types, names and
// outcomes, and definitions giving each child its parents and flat table.
// Element texts may be any text: names keep it, identifiers are repaired
// from it.
class QDN_xmlbifFormat : public QDN_textFormat {
public:
  explicit QDN_xmlbifFormat(QDN_network* network) : QDN_textFormat(network) {}

  int ReadFile(const char* fileName, int flags) override;
  [[nodiscard]] int WriteFile(const char* fileName) override;
  int GetLine() const override;

private:
  // The next item that is not blank text.
  XmlScanner::Item NextItem();
  // Skips the element whose start tag was just read (unless it closed itself).
  int SkipElement(const XmlScanner::Item& start);
  // The text of the element whose start tag was just read, up to its end tag.
  int ReadText(const XmlScanner::Item& start, std::string& text);
  // Reports the end of the input inside element tag.
  int EndOfInput(std::string_view tag);
  int ReadDocument();
  int ReadNetwork();
  int ReadVariable(const XmlScanner::Item& start);
  int ReadDefinition();
  // The numbers of a TABLE element, appended to values.
  int ReadTable(const XmlScanner::Item& start, std::vector<double>& values);
  int FindByText(const std::string& text) const;

  static std::vector<std::string> OutcomeTexts(const QDN_idArray& ids,
                                               const QDN_extraDefinition* extra);
  void WriteTextElement(const char* tag, std::string_view text);
  void WriteVariable(int handle);
  void WriteDefinition(int handle);

  std::unique_ptr<XmlScanner> scanner_;
  // Element texts of VARIABLE names -> node handles, for FOR and GIVEN.
  NameIndex names_;
};
