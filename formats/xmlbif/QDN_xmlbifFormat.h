#pragma once

#include <functional>
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
  // What a DEFINITION gives, applied once its end tag is read.
  struct PendingDefinition {
    int for_node = -1;
    std::vector<int> given;
    std::vector<double> values;
    bool table_seen = false;
  };
  // What a child-element reader answers for a tag it does not read.
  static constexpr int kNotRead = 1;

  // The next item that is not blank text.
  XmlScanner::Item NextItem();
  // Hands each text inside the element whose start tag was just read to
  // take_text, up to the element's end tag; markup inside adds its texts.
  int ForEachText(const XmlScanner::Item& start,
                  const std::function<void(std::string_view)>& take_text);
  // Skips the element whose start tag was just read (unless it closed itself).
  int SkipElement(const XmlScanner::Item& start);
  // The text of the element whose start tag was just read, trimmed.
  int ReadText(const XmlScanner::Item& start, std::string& text);
  // Reads child elements up to the end tag of their parent (end_tag names
  // it when the input ends first). read_child reads one or answers
  // kNotRead; texts there are reported, PROPERTY and unknown elements
  // skipped, and known elements out of place reported and skipped.
  int ReadChildren(std::string_view end_tag,
                   const std::function<int(const XmlScanner::Item&)>& read_child);
  // Reports the end of the input inside element tag.
  int EndOfInput(std::string_view tag);
  int ReadDocument();
  int ReadNetwork();
  int ReadNetworkName(const XmlScanner::Item& start);
  int ReadVariable(const XmlScanner::Item& start);
  int ReadVariableName(const XmlScanner::Item& start, int handle);
  int ReadOutcome(const XmlScanner::Item& start, QDN_idArray& outcomes,
                  std::vector<std::string>& originals);
  void SetOutcomes(int handle, const QDN_idArray& outcomes,
                   const std::vector<std::string>& originals);
  int ReadDefinition();
  // A FOR or GIVEN element.
  int ReadReference(const XmlScanner::Item& start, PendingDefinition& pending);
  // The numbers of a TABLE element, appended to values.
  int ReadTable(const XmlScanner::Item& start, std::vector<double>& values);
  void ApplyDefinition(PendingDefinition& pending);
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
