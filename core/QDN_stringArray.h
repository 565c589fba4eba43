#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_array.h"

class QDN_intArray;

// Array of texts. Every slot is empty (null) or holds the array's own copy of
// a text. Growth follows the double array: the addressable size grows by
// delta, the storage behind it geometrically.
class QDN_stringArray : public QDN_array {
public:
  QDN_stringArray() = default;
  QDN_stringArray(int size, int delta);
  QDN_stringArray(const QDN_stringArray& other);
  QDN_stringArray& operator=(const QDN_stringArray& other);
  ~QDN_stringArray() override = default;

  // The text of slot i, or nullptr for an empty slot or an index outside [0, size).
  const char* At(int i) const;
  // The text of slot i as a view (empty for an empty slot).
  std::string_view ViewAt(int i) const;

  int Assign(const QDN_stringArray& source);
  // -2 when index is outside [0, size); a null text empties the slot.
  virtual int SetAt(int index, const char* text);
  virtual int Append(const char* text);
  // -2 when index is outside [0, count].
  virtual int InsertAt(int index, const char* text);
  int RemoveAt(int index);
  // First index below count whose text equals text byte for byte, or -2.
  int IndexOf(const char* text) const;
  int Contains(const char* text) const { return IndexOf(text) >= 0 ? 1 : 0; }
  // count := 0; a different size discards the texts.
  int Resize(int n);
  int EnsureSize(int n);
  // count := 0 and every slot emptied.
  void Clear();
  int Adopt(QDN_stringArray& donor);
  int Permute(const QDN_intArray& order);
  void Release(int deep) override;
  void CheckReadiness(int deep) override;

protected:
  // Incremented by every change of the slots, so derived classes can tell
  // whether a cache built over the texts is still current.
  unsigned long long Version() const { return version_; }

  std::vector<std::optional<std::string>> store_;

private:
  [[nodiscard]] int Grow();
  void Touch() { ++version_; }

  unsigned long long version_ = 0;
};
