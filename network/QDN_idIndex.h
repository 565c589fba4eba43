#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Identifier index of the network's nodes: an open-addressing table of
// (identifier hash, handle) pairs. It keeps no copy of the identifiers; the
// caller compares each candidate's current identifier. A flat table keeps
// look-ups to one or two cache lines on networks far larger than the caches.
// A slot keeps 32 bits of the hash, which place it and filter candidates: 8
// bytes a slot.
class QDN_idIndex {
public:
  void Clear() {
    slots_.clear();
    live_ = used_ = 0;
  }

  void Insert(std::string_view id, int handle) {
    if ((used_ + 1) * 2 > slots_.size()) Rebuild(slots_.size() < 16 ? 32 : (live_ + 1) * 4);
    const uint32_t hash = Hash(id);
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      Slot& slot = slots_[i];
      if (slot.handle == kEmpty || slot.handle == kErased) {
        if (slot.handle == kEmpty) ++used_;
        slot = Slot{hash, handle};
        ++live_;
        return;
      }
    }
  }

  // Removes the entry of handle entered under id; false when there is none.
  bool Erase(std::string_view id, int handle) {
    if (slots_.empty()) return false;
    const uint32_t hash = Hash(id);
    for (size_t i = hash & Mask(); slots_[i].handle != kEmpty; i = (i + 1) & Mask()) {
      if (slots_[i].hash == hash && slots_[i].handle == handle) {
        slots_[i].handle = kErased;
        --live_;
        return true;
      }
    }
    return false;
  }

  // Starts fetching the slot where id's entries begin.
  void Prefetch(std::string_view id) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Hash(id) & Mask()]);
  }

  // Calls visit(handle) for every entry whose identifier hashes as id's;
  // stops early when visit returns false.
  template <typename Visit> void ForEach(std::string_view id, Visit visit) const {
    if (slots_.empty()) return;
    const uint32_t hash = Hash(id);
    for (size_t i = hash & Mask(); slots_[i].handle != kEmpty; i = (i + 1) & Mask())
      if (slots_[i].hash == hash && slots_[i].handle >= 0 && !visit(slots_[i].handle)) return;
  }

private:
  static constexpr int kEmpty = -1;
  static constexpr int kErased = -2;
  struct Slot {
    uint32_t hash = 0;
    int handle = kEmpty;
  };

  static uint32_t Hash(std::string_view id) {
    const uint64_t hash = std::hash<std::string_view>{}(id);
    return static_cast<uint32_t>(hash ^ (hash >> 32));
  }
  size_t Mask() const { return slots_.size() - 1; }

  void Rebuild(size_t minimum) {
    size_t size = 32;
    while (size < minimum)
      size *= 2;
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(size, Slot{});
    used_ = live_ = 0;
    for (const Slot& slot : old) {
      if (slot.handle < 0) continue;
      for (size_t i = slot.hash & Mask();; i = (i + 1) & Mask()) {
        if (slots_[i].handle == kEmpty) {
          slots_[i] = slot;
          ++used_;
          ++live_;
          break;
        }
      }
    }
  }

  std::vector<Slot> slots_;
  size_t live_ = 0;
  size_t used_ = 0;
};
