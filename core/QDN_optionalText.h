#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>

// An optional text that costs one pointer while unset and one heap block once
// set. Used for the many per-item texts (names, comments, labels) that most
// models never fill in or keep short, so a set text is a single block: its
// length, then its characters and a NUL. Reads like an optional string view.
class QDN_optionalText {
public:
  QDN_optionalText() = default;
  QDN_optionalText(const QDN_optionalText& other) {
    if (other.block_) Set(*other);
  }
  QDN_optionalText(QDN_optionalText&& other) noexcept
      : block_(std::exchange(other.block_, nullptr)) {}
  ~QDN_optionalText() { delete[] block_; }

  QDN_optionalText& operator=(const QDN_optionalText& other) {
    if (this == &other) return *this;
    if (other.block_) {
      Set(*other);
    } else {
      reset();
    }
    return *this;
  }
  QDN_optionalText& operator=(QDN_optionalText&& other) noexcept {
    if (this != &other) {
      delete[] block_;
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  // The text is copied before the old one is freed, so it may point into it.
  QDN_optionalText& operator=(std::string_view text) {
    Set(text);
    return *this;
  }
  QDN_optionalText& operator=(const std::string& text) { return *this = std::string_view(text); }
  // A null text unsets.
  QDN_optionalText& operator=(const char* text) {
    if (text) {
      Set(text);
    } else {
      reset();
    }
    return *this;
  }

  bool has_value() const { return block_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  // The text; empty while unset.
  std::string_view operator*() const { return block_ ? std::string_view(Chars(), Size()) : ""; }
  // The text ended by a NUL, or nullptr while unset.
  const char* c_str() const { return block_ ? Chars() : nullptr; }
  size_t size() const { return block_ ? Size() : 0; }
  std::string value_or(std::string_view fallback) const {
    return std::string(block_ ? **this : fallback);
  }
  void reset() {
    delete[] block_;
    block_ = nullptr;
  }

  // An unset text equals nothing.
  friend bool operator==(const QDN_optionalText& a, std::string_view b) {
    return a.block_ && *a == b;
  }
  friend bool operator==(const QDN_optionalText& a, const char* b) {
    return a.block_ && b && *a == std::string_view(b);
  }
  friend bool operator==(const QDN_optionalText& a, const std::string& b) {
    return a == std::string_view(b);
  }

private:
  // A 32-bit length keeps a short text's block in the smallest heap chunk.
  static constexpr size_t kHead = sizeof(uint32_t);

  size_t Size() const {
    uint32_t size;
    std::memcpy(&size, block_, kHead);
    return size;
  }
  const char* Chars() const { return block_ + kHead; }
  void Set(std::string_view text) {
    if (text.size() >= UINT32_MAX) throw std::bad_alloc();
    const auto size = static_cast<uint32_t>(text.size());
    char* fresh = new char[kHead + size + 1];
    std::memcpy(fresh, &size, kHead);
    if (size > 0) std::memcpy(fresh + kHead, text.data(), size);
    fresh[kHead + size] = '\0';
    delete[] block_;
    block_ = fresh;
  }

  // The length in kHead bytes, then the characters and a NUL; null while unset.
  char* block_ = nullptr;
};
