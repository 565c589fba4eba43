#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "definitions/QDN_expression.h"

// Maximum length of either side of an equation, in characters.
inline constexpr size_t kMaxEquationSide = 1020;

// A parsed equation: its text and the trees of both sides.
class QDN_equationText {
public:
  // 0, or -2 with a reason in message (an empty text, no "=", a side too
  // long, or a side that does not reduce to one expression).
  int Parse(const std::string& text, std::string& message);
  const std::string& GetText() const { return text_; }
  const QDN_expression* GetLeft() const { return left_.get(); }
  const QDN_expression* GetRight() const { return right_.get(); }
  bool IsStochastic() const { return stochastic_; }

private:
  std::string text_;
  std::unique_ptr<QDN_expression> left_, right_;
  bool stochastic_ = false;
};
