#pragma once

#include <memory>
#include <new>

#include "core/QDN_status.h"

// A member most objects never fill: it costs one pointer until it is made
// with Make(), and copies of it are deep. Readers test it before use.
template <typename T> class QDN_lazy {
public:
  QDN_lazy() = default;
  QDN_lazy(const QDN_lazy& other)
      : item_(other.item_ ? std::make_unique<T>(*other.item_) : nullptr) {}
  QDN_lazy& operator=(const QDN_lazy& other) {
    if (this != &other) item_ = other.item_ ? std::make_unique<T>(*other.item_) : nullptr;
    return *this;
  }

  explicit operator bool() const { return item_ != nullptr; }
  T* operator->() { return item_.get(); }
  const T* operator->() const { return item_.get(); }
  T& operator*() { return *item_; }
  const T& operator*() const { return *item_; }

  // Makes the item when there is none yet; QDN_OUT_OF_MEMORY when it cannot be.
  [[nodiscard]] int Make() {
    if (item_) return QDN_NO_ERROR;
    try {
      item_ = std::make_unique<T>();
    } catch (const std::bad_alloc&) {
      return QDN_OUT_OF_MEMORY;
    }
    return QDN_NO_ERROR;
  }
  void reset() { item_.reset(); }

private:
  std::unique_ptr<T> item_;
};
