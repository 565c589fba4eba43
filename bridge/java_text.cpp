#include "bridge/java_text.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace {

// The code points of text when it is valid UTF-8 (no overlong forms, nothing
// beyond U+10FFFF). Encoded surrogate halves and C0 80 (NUL), which only
// come from Java text, are accepted so that they go back unchanged.
std::optional<std::vector<uint32_t>> DecodeUtf8(std::string_view text) {
  std::vector<uint32_t> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (byte < 0x80) {
      out.push_back(byte);
      ++i;
      continue;
    }
    int extra = 0;
    uint32_t code = 0, minimum = 0;
    if ((byte & 0xE0) == 0xC0) {
      extra = 1, code = byte & 0x1F, minimum = 0x80;
    } else if ((byte & 0xF0) == 0xE0) {
      extra = 2, code = byte & 0x0F, minimum = 0x800;
    } else if ((byte & 0xF8) == 0xF0) {
      extra = 3, code = byte & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<size_t>(extra) >= text.size()) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    const bool java_nul = extra == 1 && code == 0;
    if ((code < minimum && !java_nul) || code > 0x10FFFF) return std::nullopt;
    out.push_back(code);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

void AppendModified(std::string& out, uint32_t code) {
  if (code != 0 && code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    // Beyond the Basic Multilingual Plane: a surrogate pair, each half encoded alone.
    const uint32_t v = code - 0x10000;
    AppendModified(out, 0xD800 | (v >> 10));
    AppendModified(out, 0xDC00 | (v & 0x3FF));
  }
}

} // namespace

std::string ToModifiedUtf8(std::string_view text) {
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

namespace {

// The surrogate half encoded at text[i] (ED A0..BF xx), or 0.
uint32_t SurrogateAt(std::string_view text, size_t i) {
  if (i + 2 >= text.size() || static_cast<uint8_t>(text[i]) != 0xED) return 0;
  const auto second = static_cast<uint8_t>(text[i + 1]);
  const auto third = static_cast<uint8_t>(text[i + 2]);
  if ((second & 0xE0) != 0xA0 || (third & 0xC0) != 0x80) return 0;
  return 0xD000 | static_cast<uint32_t>((second & 0x3F) << 6) | (third & 0x3F);
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
    const uint32_t code = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
    i += 6;
  }
  return out;
}
