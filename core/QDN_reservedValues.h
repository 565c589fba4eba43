#pragma once

#include <bit>
#include <cstdint>

// Three doubles that stand for special cell contents in tables and cost
// lists; the text formats write them with texts of their own.
inline constexpr double kUndefinedValue = std::bit_cast<double>(uint64_t{0x0020000000000000});
inline constexpr double kIllegalValue = std::bit_cast<double>(uint64_t{0x0028000000000000});
// Not applicable: an observation cost that does not apply.
inline constexpr double kNotApplicableValue = std::bit_cast<double>(uint64_t{0x0030000000000000});

inline bool IsReservedValue(double v) {
  return v == kUndefinedValue || v == kIllegalValue || v == kNotApplicableValue;
}
