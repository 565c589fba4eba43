#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_lexer.h"
#include "definitions/QDN_expression.h"

// Parses one side of an equation: numbers, identifiers, the operators
// + - * / ^ with their usual precedence, signs, parentheses and the
// functions Log, Log10, Normal and Uniform.
class QDN_equationParser {
public:
  explicit QDN_equationParser(std::string_view text);

  // The side as one expression, or null with the reason in message;
  // stochastic tells whether it draws from a distribution.
  std::unique_ptr<QDN_expression> ParseSide(bool& stochastic, std::string& message);

private:
  // One element of a group before it is combined: an operand, an operator
  // still lacking its operands, a function still lacking its arguments, or a
  // parenthesised group with its comma-separated expressions.
  struct Item {
    std::unique_ptr<QDN_expression> node;
    bool pending = false;
    bool is_group = false;
    std::vector<std::unique_ptr<QDN_expression>> group;
  };
  static bool IsOperand(const Item& item) { return !item.pending && !item.is_group; }

  // Reads items up to the closing ")" (nested) or the end, splitting at ",",
  // and reduces each run to one expression.
  bool ParseGroup(int depth, bool nested, std::vector<std::unique_ptr<QDN_expression>>& out);
  // Applies functions to their argument groups, then signs, then binary
  // operators by precedence; null unless the run reduces to one operand.
  static std::unique_ptr<QDN_expression> Reduce(std::vector<Item>& items);

  QDN_lexer lexer_;
  bool stochastic_ = false;
  std::string message_;
};
