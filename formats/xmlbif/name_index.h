#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Texts mapped to node handles, the first handle given for a text kept. The
// slots are one flat table probed in order and the texts are stored one
// after another, so a look-up in a large network touches a cache line or
// two instead of following list nodes scattered over the heap.
class NameIndex {
public:
  // Maps text to handle unless text is mapped already; whether it was added.
  bool Add(std::string_view text, int handle);
  // The handle mapped to text, or -1.
  int Find(std::string_view text) const;
  void Clear();

private:
  struct Slot {
    uint32_t hash = 0;
    int handle = -1;   // -1 for a free slot
    size_t offset = 0; // of the text in texts_
    size_t length = 0;
  };

  static uint32_t Hash(std::string_view text);
  // The slot holding text, or the free slot where it would go.
  size_t Probe(std::string_view text, uint32_t hash) const;
  void Grow();

  std::vector<Slot> slots_; // a power of two in size, at most three quarters used
  size_t used_ = 0;
  std::string texts_;
};
