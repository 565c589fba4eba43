#include "formats/xmlbif/name_index.h"

#include <functional>

uint32_t NameIndex::Hash(std::string_view text) {
  return static_cast<uint32_t>(std::hash<std::string_view>()(text));
}

size_t NameIndex::Probe(std::string_view text, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.handle < 0) return i;
    if (slot.hash == hash && slot.length == text.size() &&
        std::string_view(texts_).substr(slot.offset, slot.length) == text)
      return i;
  }
}

bool NameIndex::Add(std::string_view text, int handle) {
  if (4 * (used_ + 1) > 3 * slots_.size()) Grow();
  const uint32_t hash = Hash(text);
  Slot& slot = slots_[Probe(text, hash)];
  if (slot.handle >= 0) return false;
  slot = {hash, handle, texts_.size(), text.size()};
  texts_.append(text);
  ++used_;
  return true;
}

int NameIndex::Find(std::string_view text) const {
  if (used_ == 0) return -1;
  return slots_[Probe(text, Hash(text))].handle;
}

void NameIndex::Clear() {
  slots_.clear();
  used_ = 0;
  texts_.clear();
}

void NameIndex::Grow() {
  std::vector<Slot> old(slots_.empty() ? 64 : 2 * slots_.size());
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.handle < 0) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].handle >= 0)
      i = (i + 1) & mask;
    slots_[i] = slot;
  }
}
