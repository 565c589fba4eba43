#include "definitions/QDN_equationText.h"

#include <string_view>
#include <utility>

#include "core/QDN_status.h"
#include "definitions/QDN_equationParser.h"

int QDN_equationText::Parse(const std::string& text, std::string& message) {
  if (text == text_ && left_) return QDN_NO_ERROR;
  left_.reset();
  right_.reset();
  stochastic_ = false;
  if (text.empty()) {
    message = "Equation cannot be empty.";
    return QDN_OUT_OF_RANGE;
  }
  const size_t equals = text.find('=');
  if (equals == std::string::npos) {
    message = "Equation syntax error";
    return QDN_OUT_OF_RANGE;
  }
  const std::string_view sides[2] = {std::string_view(text).substr(0, equals),
                                     std::string_view(text).substr(equals + 1)};
  // A side is refused whole rather than cut into a different equation.
  for (std::string_view side : sides) {
    if (side.size() > kMaxEquationSide) {
      message = "Equation side is longer than 1020 characters";
      return QDN_OUT_OF_RANGE;
    }
  }
  bool stochastic_left = false, stochastic_right = false;
  std::unique_ptr<QDN_expression> left =
      QDN_equationParser(sides[0]).ParseSide(stochastic_left, message);
  if (!left) return QDN_OUT_OF_RANGE;
  std::unique_ptr<QDN_expression> right =
      QDN_equationParser(sides[1]).ParseSide(stochastic_right, message);
  if (!right) return QDN_OUT_OF_RANGE;
  text_ = text;
  left_ = std::move(left);
  right_ = std::move(right);
  stochastic_ = stochastic_left || stochastic_right;
  return QDN_NO_ERROR;
}
