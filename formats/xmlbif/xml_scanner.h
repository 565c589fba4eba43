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
  // The line of the scan position (lines are counted when asked for).
  int Line() const;
  const std::string& Error() const { return error_; }

  // Decodes the entity references of an XML text (unknown ones stay as written).
  static std::string Decode(std::string_view raw);
  // The same, appended to out.
  static void DecodeInto(std::string_view raw, std::string& out);
  // Trims blanks, tabs and line ends at both ends.
  static std::string_view Trim(std::string_view text);

private:
  bool SkipPast(std::string_view end);
  std::string text_;
  size_t pos_ = 0;
  mutable size_t counted_ = 0; // lines are counted up to here
  mutable int line_ = 1;
  std::string error_;
};
