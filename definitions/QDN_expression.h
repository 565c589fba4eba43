#pragma once

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

// One node of a parsed equation side.
struct QDN_expression {
  enum class Kind {
    kVariable,
    kNumber,
    kAdd,
    kSubtract,
    kMultiply,
    kDivide,
    kPower,
    kSign,
    kLog,
    kLog10,
    kNormal,
    kUniform
  };
  Kind kind = Kind::kNumber;
  // The identifier of a variable, the token of a number, "+" or "-" for a sign.
  std::string text;
  double number = 0;
  std::vector<std::unique_ptr<QDN_expression>> children;

  // The expression as text, every operation parenthesised.
  std::string Print() const;
  // Calls visit on every variable identifier, left to right.
  void ForEachVariable(const std::function<void(const std::string&)>& visit) const;
};

// Evaluates an expression: variables through value_of (false: unknown),
// draws of Normal(mean, spread) and Uniform(low, high) from generator.
// Logarithms of non-positive numbers and divisions by zero follow IEEE
// arithmetic (NaN or infinity). -2 when a variable has no value.
int QDN_EvaluateExpression(const QDN_expression& expression,
                           const std::function<bool(const std::string&, double&)>& value_of,
                           std::mt19937_64& generator, double& result);
