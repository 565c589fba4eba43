#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

// An optional text that costs one pointer while unset. Used for the many
// per-item texts that most models never fill in; reads like
// std::optional<std::string>.
class QDN_optionalText {
public:
  QDN_optionalText() = default;
  QDN_optionalText(const QDN_optionalText& other)
      : text_(other.text_ ? std::make_unique<std::string>(*other.text_) : nullptr) {}
  QDN_optionalText(QDN_optionalText&&) noexcept = default;
  QDN_optionalText& operator=(const QDN_optionalText& other) {
    if (this != &other) text_ = other.text_ ? std::make_unique<std::string>(*other.text_) : nullptr;
    return *this;
  }
  QDN_optionalText& operator=(QDN_optionalText&&) noexcept = default;
  QDN_optionalText& operator=(std::string text) {
    if (text_) {
      *text_ = std::move(text);
    } else {
      text_ = std::make_unique<std::string>(std::move(text));
    }
    return *this;
  }
  QDN_optionalText& operator=(const char* text) { return *this = std::string(text); }

  bool has_value() const { return text_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  const std::string& operator*() const { return *text_; }
  std::string& operator*() { return *text_; }
  const std::string* operator->() const { return text_.get(); }
  std::string* operator->() { return text_.get(); }
  std::string value_or(std::string_view fallback) const {
    return text_ ? *text_ : std::string(fallback);
  }
  void reset() { text_.reset(); }

  // An unset text equals nothing.
  friend bool operator==(const QDN_optionalText& a, std::string_view b) {
    return a.text_ && *a.text_ == b;
  }
  friend bool operator==(const QDN_optionalText& a, const char* b) {
    return a.text_ && b && *a.text_ == b;
  }
  friend bool operator==(const QDN_optionalText& a, const std::string& b) {
    return a.text_ && *a.text_ == b;
  }

private:
  std::unique_ptr<std::string> text_;
};
