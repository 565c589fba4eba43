#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small scanner for the markup of XMLBIF files: start tags with their
// attributes, end tags, and the text between them. Comments, processing
// instructions and declarations are skipped. Entity references in texts and
// attribute values are decoded; lines are counted at LF, CR and CRLF alike.
class XmlScanner {
public:
  enum class Kind { kEnd, kStart, kEndTag, kText, kError };

  struct Item {
    Kind kind = Kind::kEnd;
    std::string name; // tag name
    std::vector<std::pair<std::string, std::string>> attributes;
    bool self_closing = false;
    std::string_view raw; // a text item's characters, undecoded
  };

  explicit XmlScanner(std::string text) : text_(std::move(text)) {}

  // The next item; kError for markup that cannot be read (an unterminated
  // tag or comment), with the message in Error().
  Item Next();
  int Line() const { return line_; }
  const std::string& Error() const { return error_; }

  // Decodes the entity references of an XML text (unknown ones stay as written).
  static std::string Decode(std::string_view raw);
  // Trims blanks, tabs and line ends at both ends.
  static std::string_view Trim(std::string_view text);

private:
  bool SkipPast(std::string_view end);
  void CountLines(size_t from, size_t to);

  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  std::string error_;
};
