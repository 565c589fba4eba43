#include "formats/xmlbif/xml_scanner.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/QDN_utf8.h"

namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

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
    if (end == std::string_view::npos || end - i > 12) {
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

int XmlScanner::Line() const {
  // Every LF ends a line, and so does a CR that no LF follows.
  const char* const text = text_.data();
  const char* const end = text + std::min(pos_, text_.size());
  for (const char* p = text + counted_; p < end; ++p)
    if (*p == '\n' || (*p == '\r' && (p + 1 >= text + text_.size() || p[1] != '\n'))) ++line_;
  counted_ = std::max(counted_, static_cast<size_t>(end - text));
  return line_;
}

bool XmlScanner::SkipPast(std::string_view end) {
  const size_t found = text_.find(end, pos_);
  if (found == std::string::npos) {
    pos_ = text_.size();
    return false;
  }
  pos_ = found + end.size();
  return true;
}

XmlScanner::Item XmlScanner::Next() {
  Item item;
  // A malformed document stays malformed: the error is returned again
  // rather than the text after it being scanned as if nothing happened.
  if (!error_.empty()) {
    item.kind = Kind::kError;
    return item;
  }
  for (;;) {
    if (pos_ >= text_.size()) return item;
    if (text_[pos_] != '<') {
      const size_t end = text_.find('<', pos_);
      const size_t stop = end == std::string::npos ? text_.size() : end;
      item.kind = Kind::kText;
      item.raw = std::string_view(text_).substr(pos_, stop - pos_);
      pos_ = stop;
      return item;
    }
    const std::string_view rest = std::string_view(text_).substr(pos_);
    if (rest.substr(0, 4) == "<!--") {
      if (!SkipPast("-->")) return error_ = "unterminated comment", item.kind = Kind::kError, item;
      continue;
    }
    if (rest.substr(0, 2) == "<?") {
      if (!SkipPast("?>"))
        return error_ = "unterminated processing instruction", item.kind = Kind::kError, item;
      continue;
    }
    if (rest.substr(0, 9) == "<![CDATA[") {
      const size_t start = pos_ + 9;
      const size_t end = text_.find("]]>", start);
      if (end == std::string::npos)
        return error_ = "unterminated CDATA section", item.kind = Kind::kError, item;
      item.kind = Kind::kText;
      item.raw = std::string_view(text_).substr(start, end - start);
      pos_ = end + 3;
      return item;
    }
    if (rest.substr(0, 2) == "<!") {
      // A declaration, possibly with an internal subset in brackets.
      int brackets = 0;
      size_t i = pos_ + 2;
      for (; i < text_.size(); ++i) {
        if (text_[i] == '[') ++brackets;
        if (text_[i] == ']') --brackets;
        if (text_[i] == '>' && brackets <= 0) break;
      }
      if (i >= text_.size())
        return error_ = "unterminated declaration", item.kind = Kind::kError, item;
      pos_ = i + 1;
      continue;
    }
    // A start or end tag.
    size_t i = pos_ + 1;
    const bool end_tag = i < text_.size() && text_[i] == '/';
    if (end_tag) ++i;
    const size_t name_start = i;
    while (i < text_.size() && IsNameChar(text_[i]))
      ++i;
    item.name = text_.substr(name_start, i - name_start);
    if (item.name.empty()) return error_ = "a tag without a name", item.kind = Kind::kError, item;
    for (;;) {
      while (i < text_.size() && IsBlank(text_[i]))
        ++i;
      if (i >= text_.size())
        return error_ = "unterminated tag <" + item.name, item.kind = Kind::kError, item;
      if (text_[i] == '>') {
        ++i;
        break;
      }
      if (text_[i] == '/' && i + 1 < text_.size() && text_[i + 1] == '>') {
        item.self_closing = true;
        i += 2;
        break;
      }
      const size_t attribute_start = i;
      while (i < text_.size() && IsNameChar(text_[i]))
        ++i;
      if (i == attribute_start)
        return error_ = "unexpected character in tag <" + item.name, item.kind = Kind::kError, item;
      std::string attribute = text_.substr(attribute_start, i - attribute_start);
      while (i < text_.size() && IsBlank(text_[i]))
        ++i;
      if (i >= text_.size() || text_[i] != '=')
        return error_ = "attribute " + attribute + " without a value", item.kind = Kind::kError,
               item;
      ++i;
      while (i < text_.size() && IsBlank(text_[i]))
        ++i;
      if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\''))
        return error_ = "attribute " + attribute + " without quotes", item.kind = Kind::kError,
               item;
      const char quote = text_[i++];
      const size_t value_end = text_.find(quote, i);
      if (value_end == std::string::npos)
        return error_ = "unterminated attribute value", item.kind = Kind::kError, item;
      item.attributes.emplace_back(std::move(attribute),
                                   Decode(std::string_view(text_).substr(i, value_end - i)));
      i = value_end + 1;
    }
    pos_ = i;
    item.kind = end_tag ? Kind::kEndTag : Kind::kStart;
    return item;
  }
}
