#include "formats/xmlbif/xml_scanner.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/QDN_utf8.h"

namespace {

constexpr std::array<bool, 256> kNameChar = [] {
  std::array<bool, 256> name{};
  for (int c = 0; c < 256; ++c)
    name[static_cast<size_t>(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                   (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' ||
                                   c == ':' || c >= 0x80;
  return name;
}();

bool IsNameChar(char c) { return kNameChar[static_cast<unsigned char>(c)]; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The longest entity reference DecodeInto takes, '&' to ';'.
constexpr size_t kLongestReference = 13;
// The longest markup opening told apart before scanning it ("<![CDATA[").
constexpr size_t kLongestOpening = 9;

} // namespace

XmlScanner::XmlScanner(std::string_view text)
    : buffer_(std::make_unique_for_overwrite<char[]>(text.size())), capacity_(text.size()) {
  std::copy(text.begin(), text.end(), buffer_.get());
  text_ = std::string_view(buffer_.get(), text.size());
}

XmlScanner::XmlScanner(Source source, size_t block_size)
    : source_(std::move(source)), block_size_(std::max<size_t>(block_size, 1)), at_end_(false) {}

std::string_view XmlScanner::Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string XmlScanner::Decode(std::string_view raw) {
  std::string out;
  DecodeInto(raw, out);
  return out;
}

void XmlScanner::DecodeInto(std::string_view raw, std::string& out) {
  out.reserve(out.size() + raw.size());
  size_t i = 0;
  while (i < raw.size()) {
    // The characters up to the next reference are copied as they are.
    const size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      return;
    }
    out.append(raw.substr(i, amp - i));
    i = amp;
    const size_t end = raw.find(';', i);
    if (end == std::string_view::npos || end - i >= kLongestReference) {
      out += raw[i++];
      continue;
    }
    const std::string_view name = raw.substr(i + 1, end - i - 1);
    if (name == "amp") {
      out += '&';
    } else if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() > 1 && name[0] == '#') {
      uint32_t code = 0;
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      auto [ptr, ec] =
          std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      if (ec != std::errc() || ptr != digits.data() + digits.size() || code > 0x10FFFF ||
          code == 0) {
        out.append(raw.substr(i, end - i + 1));
      } else {
        QDN_AppendUtf8(out, code);
      }
    } else {
      out.append(raw.substr(i, end - i + 1));
    }
    i = end + 1;
  }
}

void XmlScanner::CountLines(size_t up_to) const {
  // Every LF ends a line, and so does a CR that no LF follows. A CR that
  // ends the held text waits until the character after it is read.
  const char* const text = text_.data();
  const char* const held = text + text_.size();
  const char* const end = text + std::min(up_to, text_.size());
  const char* p = text + counted_;
  if (p >= end) return;
  if (!std::memchr(p, '\r', static_cast<size_t>(end - p))) {
    // Without CRs, the lines are the LFs, found by memchr.
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
      ++line_;
      ++p;
    }
    counted_ = static_cast<size_t>(end - text);
    return;
  }
  for (; p < end; ++p) {
    if (*p == '\n') {
      ++line_;
    } else if (*p == '\r') {
      if (p + 1 < held) {
        if (p[1] != '\n') ++line_;
      } else if (at_end_) {
        ++line_;
      } else {
        break;
      }
    }
  }
  counted_ = std::max(counted_, static_cast<size_t>(p - text));
}

int XmlScanner::Line() const {
  CountLines(pos_);
  return line_;
}

bool XmlScanner::HasInput() {
  while (text_.empty() && !at_end_)
    Fill();
  return !text_.empty();
}

void XmlScanner::Fill() {
  CountLines(pos_);
  const size_t dropped = std::min(pos_, counted_);
  const size_t held = text_.size() - dropped;
  // At least as much as is held: an item longer than a block is then read
  // in a number of steps that grows with the log of its length.
  const size_t wanted = std::max(block_size_, held);
  if (held + wanted > capacity_) {
    const size_t capacity = std::max(held + wanted, 2 * capacity_);
    auto larger = std::make_unique_for_overwrite<char[]>(capacity);
    std::copy_n(text_.data() + dropped, held, larger.get());
    buffer_ = std::move(larger);
    capacity_ = capacity;
  } else if (dropped > 0) {
    std::memmove(buffer_.get(), text_.data() + dropped, held);
  }
  pos_ -= dropped;
  counted_ -= dropped;
  const long got = source_ ? source_(buffer_.get() + held, wanted) : 0;
  if (got < 0) read_failed_ = true;
  const size_t added = got > 0 ? std::min(static_cast<size_t>(got), wanted) : 0;
  text_ = std::string_view(buffer_.get(), held + added);
  if (added == 0) at_end_ = true;
}

XmlScanner::Item XmlScanner::Next(Texts texts) {
  Item item;
  // A malformed document stays malformed: the error is returned again
  // rather than the text after it being scanned as if nothing happened.
  if (!error_.empty()) {
    item.kind = Kind::kError;
    return item;
  }
  for (;;) {
    switch (Scan(item, texts)) {
    case Step::kItem:
      return item;
    case Step::kSkipped:
      break;
    case Step::kMore:
      // The item is scanned again from its start once more text is held.
      Fill();
      item = Item();
      break;
    }
  }
}

XmlScanner::Step XmlScanner::Scan(Item& item, Texts texts) {
  if (pos_ >= text_.size()) return at_end_ ? Step::kItem : Step::kMore; // kEnd
  if (text_[pos_] != '<') return ScanText(item, texts);
  if (NeedsMore(pos_ + 1)) return Step::kMore;
  const char second = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
  if (second != '!' && second != '?') return ScanTag(item);
  if (NeedsMore(pos_ + kLongestOpening - 1)) return Step::kMore;
  const std::string_view rest = text_.substr(pos_);
  if (rest.substr(0, 4) == "<!--") return ScanSkipped(item, "-->", "unterminated comment");
  if (second == '?') return ScanSkipped(item, "?>", "unterminated processing instruction");
  if (rest.substr(0, 9) == "<![CDATA[") return ScanCdata(item);
  return ScanDeclaration(item);
}

XmlScanner::Step XmlScanner::ScanText(Item& item, Texts texts) {
  size_t stop = text_.find('<', pos_);
  if (stop == std::string::npos) {
    stop = text_.size();
    if (!at_end_) {
      if (texts == Texts::kWhole) return Step::kMore;
      // A piece ends before the first '&' of its last characters that no
      // ';' follows there: the reference it may start could run past the
      // held text. (An '&' further back decodes the same either way.)
      const size_t window = stop - pos_ > kLongestReference ? stop - kLongestReference + 1 : pos_;
      const std::string_view last = text_.substr(window, stop - window);
      const size_t semicolon = last.rfind(';');
      const size_t amp = last.find('&', semicolon == std::string_view::npos ? 0 : semicolon + 1);
      if (amp != std::string_view::npos) stop = window + amp;
      if (stop > pos_ && text_[stop - 1] == '\r') --stop;
      if (stop == pos_) return Step::kMore;
    }
  }
  item.kind = Kind::kText;
  item.raw = text_.substr(pos_, stop - pos_);
  pos_ = stop;
  return Step::kItem;
}

XmlScanner::Step XmlScanner::ScanSkipped(Item& item, std::string_view end,
                                         const char* unterminated) {
  const size_t found = text_.find(end, pos_);
  if (found != std::string::npos) {
    pos_ = found + end.size();
    return Step::kSkipped;
  }
  if (!at_end_) return Step::kMore;
  pos_ = text_.size();
  return Fail(item, unterminated);
}

XmlScanner::Step XmlScanner::ScanCdata(Item& item) {
  const size_t start = pos_ + 9;
  const size_t end = text_.find("]]>", start);
  if (end == std::string::npos)
    return at_end_ ? Fail(item, "unterminated CDATA section") : Step::kMore;
  item.kind = Kind::kText;
  item.raw = text_.substr(start, end - start);
  pos_ = end + 3;
  return Step::kItem;
}

XmlScanner::Step XmlScanner::ScanDeclaration(Item& item) {
  // A declaration, possibly with an internal subset in brackets.
  int brackets = 0;
  size_t i = pos_ + 2;
  for (; i < text_.size(); ++i) {
    if (text_[i] == '[') ++brackets;
    if (text_[i] == ']') --brackets;
    if (text_[i] == '>' && brackets <= 0) break;
  }
  if (i >= text_.size()) return at_end_ ? Fail(item, "unterminated declaration") : Step::kMore;
  pos_ = i + 1;
  return Step::kSkipped;
}

XmlScanner::Step XmlScanner::ScanTag(Item& item) {
  size_t i = pos_ + 1;
  const bool end_tag = i < text_.size() && text_[i] == '/';
  if (end_tag) ++i;
  const size_t name_start = i;
  while (i < text_.size() && IsNameChar(text_[i]))
    ++i;
  if (NeedsMore(i)) return Step::kMore;
  item.name.assign(text_.substr(name_start, i - name_start));
  if (item.name.empty()) return Fail(item, "a tag without a name");
  for (;;) {
    while (i < text_.size() && IsBlank(text_[i]))
      ++i;
    if (NeedsMore(i + 1)) return Step::kMore;
    if (i >= text_.size()) return Fail(item, "unterminated tag <" + item.name);
    if (text_[i] == '>') {
      ++i;
      break;
    }
    if (text_[i] == '/' && i + 1 < text_.size() && text_[i + 1] == '>') {
      item.self_closing = true;
      i += 2;
      break;
    }
    if (const Step step = ScanAttribute(i, item); step != Step::kSkipped) return step;
  }
  pos_ = i;
  item.kind = end_tag ? Kind::kEndTag : Kind::kStart;
  return Step::kItem;
}

// One attribute from index i on; kSkipped when it was read.
XmlScanner::Step XmlScanner::ScanAttribute(size_t& i, Item& item) {
  const size_t attribute_start = i;
  while (i < text_.size() && IsNameChar(text_[i]))
    ++i;
  if (NeedsMore(i)) return Step::kMore;
  if (i == attribute_start) return Fail(item, "unexpected character in tag <" + item.name);
  std::string attribute(text_.substr(attribute_start, i - attribute_start));
  while (i < text_.size() && IsBlank(text_[i]))
    ++i;
  if (NeedsMore(i)) return Step::kMore;
  if (i >= text_.size() || text_[i] != '=')
    return Fail(item, "attribute " + attribute + " without a value");
  ++i;
  while (i < text_.size() && IsBlank(text_[i]))
    ++i;
  if (NeedsMore(i)) return Step::kMore;
  if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\''))
    return Fail(item, "attribute " + attribute + " without quotes");
  const char quote = text_[i++];
  const size_t value_end = text_.find(quote, i);
  if (value_end == std::string::npos)
    return at_end_ ? Fail(item, "unterminated attribute value") : Step::kMore;
  item.attributes.emplace_back(std::move(attribute), Decode(text_.substr(i, value_end - i)));
  i = value_end + 1;
  return Step::kSkipped;
}

XmlScanner::Step XmlScanner::Fail(Item& item, std::string message) {
  error_ = std::move(message);
  item.kind = Kind::kError;
  return Step::kItem;
}
