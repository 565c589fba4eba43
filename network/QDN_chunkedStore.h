#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// A growable sequence of default-constructed items kept in fixed-size
// chunks. Growing allocates new chunks and never moves the items already
// there, so references stay valid and a large store grows without copying.
template <typename T, size_t kChunk = 256> class QDN_chunkedStore {
public:
  size_t size() const { return size_; }
  T& operator[](size_t i) { return chunks_[i / kChunk][i % kChunk]; }
  const T& operator[](size_t i) const { return chunks_[i / kChunk][i % kChunk]; }

  // Items past n are reset to T{} (their chunks stay for later growth).
  void resize(size_t n) {
    while (chunks_.size() * kChunk < n)
      chunks_.push_back(std::make_unique<T[]>(kChunk));
    for (size_t i = n; i < size_; ++i)
      (*this)[i] = T{};
    size_ = n;
  }
  void clear() {
    chunks_.clear();
    size_ = 0;
  }

  template <typename Store, typename Item> class Iterator {
  public:
    Iterator(Store* store, size_t i) : store_(store), i_(i) {}
    Item& operator*() const { return (*store_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return i_ != other.i_; }

  private:
    Store* store_;
    size_t i_;
  };
  Iterator<QDN_chunkedStore, T> begin() { return {this, 0}; }
  Iterator<QDN_chunkedStore, T> end() { return {this, size_}; }
  Iterator<const QDN_chunkedStore, const T> begin() const { return {this, 0}; }
  Iterator<const QDN_chunkedStore, const T> end() const { return {this, size_}; }

private:
  std::vector<std::unique_ptr<T[]>> chunks_;
  size_t size_ = 0;
};
