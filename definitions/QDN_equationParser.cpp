// Parsing one side of an equation into an expression tree.
#include "definitions/QDN_equationParser.h"

#include <cstddef>
#include <utility>

#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_text.h"

namespace {

using Expr = QDN_expression;
using Kind = QDN_expression::Kind;

// Groups nested deeper than this are refused; a side's length limit keeps
// the recursion of the parser and the evaluator below it anyway.
constexpr int kMaxDepth = 512;

int Precedence(Kind kind) {
  switch (kind) {
  case Kind::kPower:
    return 3;
  case Kind::kMultiply:
  case Kind::kDivide:
    return 2;
  case Kind::kAdd:
  case Kind::kSubtract:
    return 1;
  default:
    return 0;
  }
}

int Arity(Kind kind) {
  switch (kind) {
  case Kind::kLog:
  case Kind::kLog10:
    return 1;
  case Kind::kNormal:
  case Kind::kUniform:
    return 2;
  default:
    return 0;
  }
}

} // namespace

QDN_equationParser::QDN_equationParser(std::string_view text)
    : lexer_(QDN_lexerVariant::kEquation) {
  (void)lexer_.SetString(text);
}

std::unique_ptr<QDN_expression> QDN_equationParser::ParseSide(bool& stochastic,
                                                              std::string& message) {
  std::vector<std::unique_ptr<QDN_expression>> parts;
  if (!ParseGroup(0, false, parts) || parts.size() != 1) {
    if (message_.empty()) message_ = "Equation syntax error";
    message = message_;
    return nullptr;
  }
  stochastic = stochastic_;
  return std::move(parts[0]);
}

bool QDN_equationParser::ParseGroup(int depth, bool nested,
                                    std::vector<std::unique_ptr<Expr>>& out) {
  if (depth > kMaxDepth) {
    message_ = "Equation nested too deeply";
    return false;
  }
  std::vector<Item> items;
  for (;;) {
    QDN_token token;
    if (lexer_.NextToken(token) != QDN_NO_ERROR) {
      if (nested) return false; // a "(" without its ")"
      break;
    }
    lexer_.Consume();
    const std::string_view text = token.text;
    Item item;
    if (token.kind == QDN_TOKEN_IDENTIFIER) {
      auto node = std::make_unique<Expr>();
      node->kind = Kind::kVariable;
      for (auto [name, kind] :
           {std::pair{"Log", Kind::kLog}, std::pair{"Log10", Kind::kLog10},
            std::pair{"Normal", Kind::kNormal}, std::pair{"Uniform", Kind::kUniform}})
        if (QDN_EqualsIgnoringCase(text, name)) node->kind = kind;
      if (node->kind == Kind::kNormal || node->kind == Kind::kUniform) stochastic_ = true;
      node->text.assign(text);
      item.pending = node->kind != Kind::kVariable;
      item.node = std::move(node);
    } else if (token.kind == QDN_TOKEN_INTEGER || token.kind == QDN_TOKEN_REAL) {
      auto node = std::make_unique<Expr>();
      node->text.assign(text);
      if (QDN_ParseReal(text, node->number) < 0) return false;
      item.node = std::move(node);
    } else if (text == "(") {
      item.is_group = true;
      if (!ParseGroup(depth + 1, true, item.group)) return false;
    } else if (text == ")" || text == ",") {
      if (!nested) return false;
      std::unique_ptr<Expr> part = Reduce(items);
      if (!part) return false;
      out.push_back(std::move(part));
      items.clear();
      if (text == ")") return true;
      continue;
    } else {
      Kind kind;
      if (text == "+")
        kind = Kind::kAdd;
      else if (text == "-")
        kind = Kind::kSubtract;
      else if (text == "*")
        kind = Kind::kMultiply;
      else if (text == "/")
        kind = Kind::kDivide;
      else if (text == "^")
        kind = Kind::kPower;
      else
        return false;
      item.node = std::make_unique<Expr>();
      item.node->kind = kind;
      item.node->text.assign(text);
      item.pending = true;
    }
    items.push_back(std::move(item));
  }
  std::unique_ptr<Expr> part = Reduce(items);
  if (!part) return false;
  out.push_back(std::move(part));
  return true;
}

std::unique_ptr<QDN_expression> QDN_equationParser::Reduce(std::vector<Item>& items) {
  // Functions take the group that follows them as their arguments; any
  // other group is a parenthesised expression.
  for (size_t i = 0; i < items.size(); ++i) {
    Item& item = items[i];
    if (item.is_group) {
      if (item.group.size() != 1) return nullptr;
      item.node = std::move(item.group[0]);
      item.is_group = false;
      continue;
    }
    const int arity = item.node ? Arity(item.node->kind) : 0;
    if (!item.pending || arity == 0) continue;
    if (i + 1 >= items.size() || !items[i + 1].is_group ||
        static_cast<int>(items[i + 1].group.size()) != arity)
      return nullptr;
    item.node->children = std::move(items[i + 1].group);
    item.pending = false;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(i + 1));
  }
  // A "+" or "-" first or right after another operator is a sign of the
  // operand that follows it; signs are applied right to left so "- -3" nests.
  std::vector<bool> sign(items.size(), false);
  for (size_t i = 0; i < items.size(); ++i) {
    const Kind kind = items[i].node->kind;
    sign[i] = items[i].pending && (kind == Kind::kAdd || kind == Kind::kSubtract) &&
              (i == 0 || items[i - 1].pending);
  }
  for (size_t i = items.size(); i-- > 0;) {
    if (!sign[i]) continue;
    if (i + 1 >= items.size() || !IsOperand(items[i + 1])) return nullptr;
    auto node = std::make_unique<Expr>();
    node->kind = Kind::kSign;
    node->text = items[i].node->text;
    node->children.push_back(std::move(items[i + 1].node));
    items[i].node = std::move(node);
    items[i].pending = false;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(i + 1));
  }
  // Binary operators, highest precedence first, leftmost first among equals.
  for (;;) {
    size_t best = items.size();
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].pending && (best == items.size() || Precedence(items[i].node->kind) >
                                                           Precedence(items[best].node->kind)))
        best = i;
    if (best == items.size()) break;
    if (best == 0 || best + 1 >= items.size() || !IsOperand(items[best - 1]) ||
        !IsOperand(items[best + 1]))
      return nullptr;
    Item& op = items[best];
    op.node->children.push_back(std::move(items[best - 1].node));
    op.node->children.push_back(std::move(items[best + 1].node));
    op.pending = false;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(best + 1));
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(best - 1));
  }
  if (items.size() != 1 || !IsOperand(items[0])) return nullptr;
  return std::move(items[0].node);
}
