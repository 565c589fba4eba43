#include "core/QDN_numberText.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"

namespace {

// Eight characters read as one little-endian word: all of them digits?
bool IsEightDigits(uint64_t word) {
  return ((word & 0xF0F0F0F0F0F0F0F0) |
          (((word + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) == 0x3333333333333333;
}

// The value of eight digits read as one little-endian word (first digit lowest).
uint32_t EightDigitsValue(uint64_t word) {
  word -= 0x3030303030303030;
  word = word * 10 + (word >> 8); // pairs of digits
  const uint64_t mask = 0x000000FF000000FF;
  word =
      (((word & mask) * 0x000F424000000064) + (((word >> 16) & mask) * 0x0000271000000001)) >> 32;
  return static_cast<uint32_t>(word);
}

// Converts the plain decimal number ("-0.125", "12e5") at the front of
// [p, last) when its digits fit in 53 bits and its power of ten is at most
// 22: one multiplication or division of two exact doubles then gives the
// correctly rounded value, the same std::from_chars gives, at a fraction of
// its cost. The end of the number, or nullptr for anything else (which
// from_chars converts).
const char* ConvertPlainDecimalPrefix(const char* p, const char* last, double& value) {
  static_assert(std::endian::native == std::endian::little);
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const bool negative = p < last && *p == '-';
  if (negative) ++p;
  // Digits beyond the 19th may wrap the mantissa around; such texts are
  // refused below.
  uint64_t mantissa = 0;
  const char* const integer = p;
  for (unsigned d;
       p < last && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) < 10u; ++p)
    mantissa = mantissa * 10 + d;
  long digits = p - integer;
  long fraction_digits = 0;
  if (p < last && *p == '.') {
    const char* const fraction = ++p;
    // Eight digits at a time while they last.
    while (last - p >= 8) {
      uint64_t eight = 0;
      std::memcpy(&eight, p, 8);
      if (!IsEightDigits(eight)) break;
      mantissa = mantissa * 100'000'000 + EightDigitsValue(eight);
      p += 8;
    }
    for (unsigned d;
         p < last && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) < 10u; ++p)
      mantissa = mantissa * 10 + d;
    fraction_digits = p - fraction;
    digits += fraction_digits;
  }
  if (digits == 0 || digits > 19) return nullptr;
  long exponent = 0;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool minus = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    const char* const exponent_digits = p;
    for (unsigned d; p < last && p - exponent_digits < 4 &&
                     (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) < 10u;
         ++p)
      exponent = exponent * 10 + d;
    if (p == exponent_digits) return nullptr;
    if (minus) exponent = -exponent;
  }
  if (mantissa > (uint64_t{1} << 53)) return nullptr;
  exponent -= fraction_digits;
  if (exponent < -22 || exponent > 22) return nullptr;
  const double result = exponent < 0 ? static_cast<double>(mantissa) / kPowersOfTen[-exponent]
                                     : static_cast<double>(mantissa) * kPowersOfTen[exponent];
  value = negative ? -result : result;
  return p;
}

// The same for the whole of [p, last).
bool ConvertPlainDecimal(const char* p, const char* last, double& value) {
  double converted = 0;
  if (ConvertPlainDecimalPrefix(p, last, converted) != last) return false;
  value = converted;
  return true;
}

// The texts of the reserved values that have the form of plain decimals.
bool IsReservedDecimal(std::string_view text) {
  return text == "0.0E-2" || text == "0.0E-3" || text == "0.0E-4";
}

} // namespace

size_t QDN_ParsePlainDecimal(std::string_view text, double& value) {
  const char* const first = text.data();
  const char* const end = ConvertPlainDecimalPrefix(first, first + text.size(), value);
  if (!end) return 0;
  const size_t length = static_cast<size_t>(end - first);
  return IsReservedDecimal(text.substr(0, length)) ? 0 : length;
}

int QDN_ParseReal(std::string_view text, double& value) {
  // The reserved texts are at most seven characters long.
  if (text.size() <= 7) {
    if (text == "0.0E-2" || text == "UNDEF.") {
      value = kUndefinedValue;
      return QDN_NO_ERROR;
    }
    if (text == "0.0E-3" || text == "ILLEGAL") {
      value = kIllegalValue;
      return QDN_NO_ERROR;
    }
    if (text == "0.0E-4" || text == "NA") {
      value = kNotApplicableValue;
      return QDN_NO_ERROR;
    }
  }
  size_t skip = 0;
  while (skip < text.size() && (text[skip] == ' ' || text[skip] == '\t'))
    ++skip;
  const bool plus = skip < text.size() && text[skip] == '+';
  if (plus) ++skip;
  const char* first = text.data() + skip;
  const char* last = text.data() + text.size();
  if (plus && first < last && *first == '-') return QDN_OUT_OF_RANGE;
  if (ConvertPlainDecimal(first, last, value)) return QDN_NO_ERROR;
  auto [end, error] = std::from_chars(first, last, value);
  if (end == first) return QDN_OUT_OF_RANGE;
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: take what strtod gives (infinity or 0).
    const std::string copy(first, end);
    value = std::strtod(copy.c_str(), nullptr);
  }
  return QDN_NO_ERROR;
}

int QDN_TruncateToInt(double value, int& out) {
  if (!(value > static_cast<double>(INT_MIN) - 1 && value < static_cast<double>(INT_MAX) + 1))
    return QDN_OUT_OF_RANGE;
  out = static_cast<int>(value);
  return QDN_NO_ERROR;
}

int QDN_ParseInt(std::string_view text, int& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long result = 0;
  const size_t digits_start = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    result = result * 10 + (text[i] - '0');
    if (result > static_cast<long long>(INT_MAX) + 1) return QDN_OUT_OF_RANGE;
  }
  if (i == digits_start) return QDN_OUT_OF_RANGE;
  if (negative) result = -result;
  if (result > INT_MAX || result < INT_MIN) return QDN_OUT_OF_RANGE;
  value = static_cast<int>(result);
  return QDN_NO_ERROR;
}

std::string QDN_FormatReal(double value) {
  if (value == kUndefinedValue) return "0.0E-2";
  if (value == kIllegalValue) return "0.0E-3";
  if (value == kNotApplicableValue) return "0.0E-4";
  char buffer[400];
  const int length = std::snprintf(buffer, sizeof buffer, "%.8f", value);
  if (length > 0 && static_cast<size_t>(length) < sizeof buffer) {
    double back = 0;
    auto [end, error] = std::from_chars(buffer, buffer + length, back);
    if (error == std::errc() && end == buffer + length && back == value &&
        std::signbit(back) == std::signbit(value))
      return std::string(buffer, static_cast<size_t>(length));
  }
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, error == std::errc() ? end : buffer);
}
