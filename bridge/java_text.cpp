#include "bridge/java_text.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "core/QDN_utf8.h"

namespace {

// The code points of text when it is valid UTF-8. Encoded surrogate halves
// and C0 80 (NUL), which only come from Java text, are accepted so that they
// go back unchanged.
std::optional<std::vector<uint32_t>> DecodeUtf8(std::string_view text) {
  std::vector<uint32_t> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t code = 0;
    size_t length = QDN_DecodeUtf8(text.substr(i), code);
    if (length == 0 && text.substr(i, 2) == std::string_view("\xC0\x80", 2)) code = 0, length = 2;
    if (length == 0) return std::nullopt;
    out.push_back(code);
    i += length;
  }
  return out;
}

void AppendModified(std::string& out, uint32_t code) {
  if (code == 0) {
    out += "\xC0\x80";
  } else if (code < 0x10000) {
    QDN_AppendUtf8(out, code);
  } else {
    // Beyond the Basic Multilingual Plane: a surrogate pair, each half encoded alone.
    const uint32_t v = code - 0x10000;
    QDN_AppendUtf8(out, 0xD800 | (v >> 10));
    QDN_AppendUtf8(out, 0xDC00 | (v & 0x3FF));
  }
}

} // namespace

std::string ToModifiedUtf8(std::string_view text) {
  bool plain = true;
  for (char c : text)
    plain = plain && c != 0 && static_cast<uint8_t>(c) < 0x80;
  if (plain) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  if (const auto codes = DecodeUtf8(text)) {
    for (uint32_t code : *codes)
      AppendModified(out, code);
  } else {
    for (char c : text)
      AppendModified(out, static_cast<uint8_t>(c));
  }
  return out;
}

const char* ToModifiedUtf8(const char* text, std::string& storage) {
  const char* end = text;
  while (*end != 0 && static_cast<uint8_t>(*end) < 0x80)
    ++end;
  if (*end == 0) return text;
  storage =
      ToModifiedUtf8(std::string_view(text, static_cast<size_t>(end - text) + std::strlen(end)));
  return storage.c_str();
}

namespace {

// The surrogate half encoded at text[i], or 0.
uint32_t SurrogateAt(std::string_view text, size_t i) {
  uint32_t code = 0;
  return i < text.size() && QDN_DecodeUtf8(text.substr(i), code) == 3 && QDN_IsSurrogate(code)
             ? code
             : 0;
}

} // namespace

std::string FromModifiedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const uint32_t high = SurrogateAt(text, i);
    const uint32_t low = high >= 0xD800 && high <= 0xDBFF ? SurrogateAt(text, i + 3) : 0;
    if (low < 0xDC00) {
      out += text[i++];
      continue;
    }
    QDN_AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
    i += 6;
  }
  return out;
}
