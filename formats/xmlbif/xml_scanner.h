#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small scanner for the markup of XMLBIF files: start tags with their
// attributes, end tags, and the text between them. Comments, processing
// instructions and declarations are skipped. Entity references in texts and
// attribute values are decoded; lines are counted at LF, CR and CRLF alike.
//
// The document is read from its source a block at a time: only the part not
// yet scanned is held, so a long file does not stay in memory whole.
class XmlScanner {
public:
  enum class Kind { kEnd, kStart, kEndTag, kText, kError };
  // Whether a long text comes as one item, or may come as several text items
  // in a row (each cut where no entity reference is split), which keeps
  // texts collected piece by piece from being held whole.
  enum class Texts { kWhole, kInPieces };

  struct Item {
    Kind kind = Kind::kEnd;
    std::string name; // tag name
    std::vector<std::pair<std::string, std::string>> attributes;
    bool self_closing = false;
    // A text item's characters, undecoded; valid until the next item is read.
    std::string_view raw;
  };

  // Reads at most size bytes into buffer: the count read, 0 at the end of
  // the input, or a negative count when reading fails.
  using Source = std::function<long(char* buffer, size_t size)>;

  // A document held whole.
  explicit XmlScanner(std::string_view text);
  // A document read from source in blocks of block_size bytes.
  XmlScanner(Source source, size_t block_size);

  // The next item; kError for markup that cannot be read (an unterminated
  // tag or comment), with the message in Error().
  Item Next(Texts texts = Texts::kWhole);
  // Whether the document holds at least one character (reads its first block).
  bool HasInput();
  // Whether reading from the source failed; the document ends there.
  bool ReadFailed() const { return read_failed_; }
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
  // What scanning from the scan position found: an item to return, markup
  // that was skipped, or the need for more of the document first.
  enum class Step { kItem, kSkipped, kMore };

  Step Scan(Item& item, Texts texts);
  Step ScanText(Item& item, Texts texts);
  Step ScanSkipped(Item& item, std::string_view end, const char* unterminated);
  Step ScanCdata(Item& item);
  Step ScanDeclaration(Item& item);
  Step ScanTag(Item& item);
  Step ScanAttribute(size_t& i, Item& item);
  Step Fail(Item& item, std::string message);
  // Whether index i is past the held text while more of it can be read.
  bool NeedsMore(size_t i) const { return i >= text_.size() && !at_end_; }
  // Drops the scanned text and appends the next block (or notes the end).
  void Fill();
  void CountLines(size_t up_to) const;

  Source source_;
  size_t block_size_ = 0;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  // What buffer_ holds: the document from some point before pos_ on.
  std::string_view text_;
  size_t pos_ = 0;     // the scan position in text_
  bool at_end_ = true; // text_ ends where the document ends
  bool read_failed_ = false;
  mutable size_t counted_ = 0; // lines are counted up to here in text_
  mutable int line_ = 1;
  std::string error_;
};
