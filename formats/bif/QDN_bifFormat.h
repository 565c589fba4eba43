#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/text/QDN_textFormat.h"

// BIF, the interchange format of the public model repositories (format 9,
// ".bif"): an optional network block, one variable block per discrete
// variable, and one probability block per variable giving its parents and
// its table as a flat table, as rows per parent configuration or as a
// default row. Names may be any word or quoted text: identifiers are
// repaired from them, and the texts are kept as node names and outcome labels.
//
// BIF names are words of any characters but blanks and the few punctuators
// of the format ("bowel-problem", "0_5_MG_L", "<5", "5-12"), which the
// shared lexer splits into several tokens (its identifiers start with a
// letter and hold letters, digits and "_"). The format therefore scans its
// words itself, with the text-format base's file reading, messages and
// output file.
class QDN_bifFormat : public QDN_textFormat {
public:
  explicit QDN_bifFormat(QDN_network* network) : QDN_textFormat(network) {}

  int ReadFile(const char* fileName, int flags) override;
  int WriteFile(const char* fileName) override;
  int GetLine() const override { return token_line_; }

  // Reads BIF text held in memory as ReadFile reads a file's text.
  int ReadText(std::string text);

private:
  enum class Kind { kEnd, kWord, kString, kPunct };
  struct Token {
    Kind kind = Kind::kEnd;
    std::string_view text;
    int line = 1;
    // A line ends between this token and the one before it.
    bool line_break = false;
  };
  // What a probability block names: the child, then its parents.
  struct Header {
    int child = -1;
    std::vector<int> parents;
  };

  // The scanner: words, quoted strings (unescaped in place), punctuators.
  const Token& Peek();
  Token Next();
  // Next without the token.
  void Consume() {
    Peek();
    has_peeked_ = false;
  }
  void Scan();
  bool PeekIs(std::string_view punct);
  // Consumes punct when it is next; otherwise reports "'<token>' : '<punct>' expected".
  int ExpectPunct(std::string_view punct);
  // Skips to the end of the statement: past the next ";" of this brace level,
  // or up to the "}" that closes it.
  void SkipEntry();
  // Skips the rest of a block whose "{" was read.
  void SkipBlockBody();

  int Read();
  int ReadNetworkBlock();
  int ReadVariableBlock();
  int ReadStates(int handle);
  int ReadProbabilityBlock();
  int ReadProbabilityHeader(Header& header);
  int ReadProbabilityBody(const Header& header);
  struct TableRead;
  // The numbers of an entry: true when there are expected of them (the
  // others are reported with line).
  bool ReadValues(TableRead& read, int line, long long expected);
  // "table": the whole table, the child's states slowest.
  void ReadFlatTable(TableRead& read, int line);
  // "(" parent states ")" numbers: one row; a failure ends the block.
  int ReadRow(TableRead& read, int line);
  // The default row for rows not given, or a message for them.
  void FinishTable(const TableRead& read);
  // Numbers up to the ";" that ends an entry (or a "}" or the end of input).
  int ReadNumbers(std::vector<double>& out);
  // property ...: up to ";" or the end of its line. handle -1: the network's.
  void ReadProperty(int handle);
  void ApplyProperty(int handle, std::string_view key, std::string_view rest);
  int FindVariable(std::string_view text) const;
  int ReportAt(int line, int status, std::string_view message);
  // ReportAt for a fault the reader reads on after.
  void LogAt(int line, int status, std::string_view message) {
    (void)ReportAt(line, status, message);
  }

  void WriteVariable(int handle);
  void WriteProbability(int handle);

  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  int token_line_ = 0;
  Token peeked_;
  bool has_peeked_ = false;
  // Variable texts as read -> node handles (-1: declaration refused).
  std::unordered_map<std::string, int> names_;
  // Nodes whose probability block was read.
  std::vector<char> defined_;
  // The text after "network", and the network's label property.
  std::optional<std::string> network_id_;
  std::optional<std::string> network_label_;
  // Cells of the tables the probability blocks read so far made.
  long long cells_read_ = 0;
};
