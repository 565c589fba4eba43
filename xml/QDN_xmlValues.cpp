// The colour, position and real-number texts of the native XML format.
#include "xml/QDN_xmlValues.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "network/QDN_screenInfo.h"

bool QDN_ParseColor(std::string_view text, int& color) {
  if (text.size() != 6) return false;
  unsigned value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return false;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  const unsigned red = value >> 16, green = (value >> 8) & 0xFF, blue = value & 0xFF;
  color = static_cast<int>(red | (green << 8) | (blue << 16));
  return true;
}

std::string QDN_FormatColor(int color) {
  const unsigned value = static_cast<unsigned>(color);
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", value & 0xFF, (value >> 8) & 0xFF,
                (value >> 16) & 0xFF);
  return text;
}

namespace {

// One integer read as an input stream reads a long long: blanks skipped, an
// optional sign, decimal digits; false when there is none or it overflows.
bool ReadStreamInteger(const char*& at, const char* end, long long& value) {
  while (at < end && (*at == ' ' || (*at >= '\t' && *at <= '\r')))
    ++at;
  if (at < end && *at == '+') {
    ++at;
    // from_chars takes a minus the stream would refuse after the plus.
    if (at < end && *at == '-') return false;
  }
  const auto [next, error] = std::from_chars(at, end, value);
  if (error != std::errc()) return false;
  at = next;
  return true;
}

} // namespace

bool QDN_ParsePosition(std::string_view text, QDN_rectangle& rectangle) {
  const char* at = text.data();
  const char* const end = at + text.size();
  long long left = 0, top = 0, right = 0, bottom = 0;
  if (!ReadStreamInteger(at, end, left) || !ReadStreamInteger(at, end, top) ||
      !ReadStreamInteger(at, end, right) || !ReadStreamInteger(at, end, bottom))
    return false;
  const long long limit = INT32_MAX / 2;
  for (long long v : {left, top, right, bottom})
    if (v > limit || v < -limit) return false;
  rectangle.x0 = static_cast<int>((left + right) / 2);
  rectangle.y0 = static_cast<int>((top + bottom) / 2);
  rectangle.x1 = static_cast<int>(right > left ? right - left : left - right);
  rectangle.y1 = static_cast<int>(bottom > top ? bottom - top : top - bottom);
  return true;
}

namespace {

// The low edge whose span [low, low + size] reads back as centre.
long long LowEdge(long long centre, long long size) {
  long long low = centre - size / 2;
  // Reading halves toward zero: with an odd size below zero the centre
  // reads one higher, so the edge moves one down.
  if ((2 * low + size) / 2 != centre) --low;
  return low;
}

} // namespace

std::string QDN_FormatPosition(const QDN_rectangle& r) {
  const long long left = LowEdge(r.x0, r.x1 < 0 ? -static_cast<long long>(r.x1) : r.x1);
  const long long top = LowEdge(r.y0, r.y1 < 0 ? -static_cast<long long>(r.y1) : r.y1);
  return std::to_string(left) + " " + std::to_string(top) + " " +
         std::to_string(left + (r.x1 < 0 ? -static_cast<long long>(r.x1) : r.x1)) + " " +
         std::to_string(top + (r.y1 < 0 ? -static_cast<long long>(r.y1) : r.y1));
}

namespace {

// The text printf gives with "%.<precision>g", which is also what an output
// stream writes at that precision in its default notation.
std::string FormatGeneral(double value, int precision) {
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
  return error == std::errc() ? std::string(text, end) : std::string("nan");
}

} // namespace

std::string QDN_FormatShortReal(double value) { return FormatGeneral(value, 6); }

std::string QDN_FormatLongReal(double value) {
  // Sixteen significant digits, or seventeen for the values that sixteen
  // would not give back exactly: what is written reads back equal.
  std::string text = FormatGeneral(value, 16);
  double back = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
  if (error != std::errc() || end != text.data() + text.size() || back != value)
    text = FormatGeneral(value, 17);
  return text;
}
