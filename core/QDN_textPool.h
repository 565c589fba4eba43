#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The layout the text containers share: texts kept one after another in a
// pool, each ended by a NUL, and referred to by 32-bit offsets (kNoText for
// none). Replaced texts stay in the pool until it is rebuilt; Compact
// rebuilds a pool with only the texts in use.
struct QDN_textPool {
  static constexpr uint32_t kNoText = UINT32_MAX;
  // The largest pool: every offset stays below kNoText.
  static constexpr size_t kMaxBytes = UINT32_MAX - 3;

  static size_t RoundToWords(size_t bytes) { return (bytes + 3) / 4 * 4; }

  // Bytes the text at offset takes, its NUL included; 0 for kNoText.
  static uint32_t Footprint(const char* pool, uint32_t offset) {
    return offset == kNoText ? 0 : static_cast<uint32_t>(std::strlen(pool + offset) + 1);
  }

  // Bytes the texts of count offsets take.
  static size_t Bytes(const uint32_t* offsets, size_t count, const char* pool) {
    size_t bytes = 0;
    for (size_t i = 0; i < count; ++i)
      bytes += Footprint(pool, offsets[i]);
    return bytes;
  }

  // Copies the texts of count offsets into to_pool, from its start, and
  // writes their new offsets to to_offsets; returns the bytes written.
  // to_pool must hold Bytes(offsets, count, pool).
  static uint32_t Compact(const uint32_t* offsets, size_t count, const char* pool,
                          uint32_t* to_offsets, char* to_pool) {
    uint32_t used = 0;
    for (size_t i = 0; i < count; ++i) {
      const uint32_t length = Footprint(pool, offsets[i]);
      if (length == 0) {
        to_offsets[i] = kNoText;
        continue;
      }
      std::memcpy(to_pool + used, pool + offsets[i], length);
      to_offsets[i] = used;
      used += length;
    }
    return used;
  }
};
