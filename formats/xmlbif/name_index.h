#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "network/QDN_idIndex.h"

// Texts mapped to node handles, the first handle given for a text kept.
// XMLBIF names need not be the nodes' identifiers, so the texts are stored
// here, one after another, and the network's flat hash index finds the
// entries whose text hashes alike.
class NameIndex {
public:
  // Maps text to handle unless text is mapped already; whether it was added.
  bool Add(std::string_view text, int handle) {
    if (Entry(text) >= 0) return false;
    index_.Insert(text, static_cast<int>(entries_.size()));
    entries_.push_back({texts_.size(), text.size(), handle});
    texts_.append(text);
    return true;
  }

  // The handle mapped to text, or -1.
  int Find(std::string_view text) const {
    const int entry = Entry(text);
    return entry < 0 ? -1 : entries_[static_cast<size_t>(entry)].handle;
  }

  void Clear() {
    index_.Clear();
    entries_.clear();
    texts_.clear();
  }

private:
  struct Text {
    size_t offset; // in texts_
    size_t length;
    int handle;
  };

  // The number of the entry holding text, or -1.
  int Entry(std::string_view text) const {
    int found = -1;
    index_.ForEach(text, [&](int entry) {
      const Text& t = entries_[static_cast<size_t>(entry)];
      if (std::string_view(texts_).substr(t.offset, t.length) != text) return true;
      found = entry;
      return false;
    });
    return found;
  }

  QDN_idIndex index_;
  std::vector<Text> entries_;
  std::string texts_;
};
