#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/QDN_stringArray.h"

// Identifier rule: at least one character, a letter first, then letters,
// digits and "_" (ASCII; bytes above 127 are none of these).
bool IsValidIdentifier(std::string_view text);

// A text array whose items are identifiers, pairwise different. Used for the
// outcome names of node definitions.
class QDN_idArray : public QDN_stringArray {
public:
  QDN_idArray() = default;
  QDN_idArray(int size, int delta) : QDN_stringArray(size, delta) {}
  // The copy builds its own index when it needs one.
  QDN_idArray(const QDN_idArray& other) : QDN_stringArray(other) {}
  QDN_idArray& operator=(const QDN_idArray& other) {
    (void)Assign(other);
    return *this;
  }

  // 1 when text is an identifier that none of the count items equals.
  int IsValidNewId(const char* text) const;
  // 1 when text is an identifier that no item other than slot index equals.
  int IsValidIdAt(const char* text, int index) const;

  int SetAt(int index, const char* text) override;
  int Append(const char* text) override;
  int InsertAt(int index, const char* text) override;
  void CheckConsistency(int deep) override;
  void Release(int deep) override;

  // Repairs text into an identifier: a leading non-letter gets "x" put before
  // it, other characters that are not letters, digits or "_" become "_".
  // -2 for an empty text.
  static int MakeValidId(std::string& text);
  // An identifier built from base (or "x") that is new to this array; when
  // number >= 0 or the repaired base is taken, a decimal suffix starting at
  // number (0 for -1) is added and increased until the result is new.
  int CreateUniqueId(const char* base, int number, std::string& out) const;
  // As CreateUniqueId, for the item at slot index: the result may equal that
  // item but no other (renaming an item in place).
  int CreateUniqueIdAt(const char* base, int index, std::string& out) const;
  int AppendUniqueId(const char* base, int number);
  int InsertUniqueId(const char* base, int number, int index);
  // Replaces every item by an identifier made from it; on failure the list
  // is restored and -2 returned.
  int MakeIdsValid();

private:
  // Builds the identifier for CreateUniqueId and CreateUniqueIdAt; slot is
  // the item the result may equal, or -1.
  int MakeUniqueId(const char* base, int number, int slot, std::string& out) const;
  // 1 when the hash index counts the current items.
  bool IndexIsCurrent() const {
    return index_ && index_->version == Version() && index_->count == count_;
  }
  // Inserts text, known to be a valid identifier not in the array.
  int InsertNewId(int index, const char* text);
  // Number of items among the first count with the given text; lists longer
  // than a few items are answered from a hash index rebuilt after changes.
  int Occurrences(std::string_view text) const;

  // Text -> number of items with it, over the first count items as of the
  // array version; made by the first look-up in a long list.
  struct Index {
    std::unordered_map<std::string, int> counts;
    unsigned long long version = ~0ULL;
    int count = -1;
  };
  mutable std::unique_ptr<Index> index_;
};
