// Equation nodes: parsing, validation, parent rules and evaluation.
#include "definitions/QDN_equation.h"
#include "core/QDN_text.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_lexer.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

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

// One element of a group before it is combined: an operand, an operator
// still lacking its operands, a function still lacking its arguments, or a
// parenthesised group with its comma-separated expressions.
struct Item {
  std::unique_ptr<Expr> node;
  bool pending = false;
  bool is_group = false;
  std::vector<std::unique_ptr<Expr>> group;
};

class Parser {
public:
  explicit Parser(std::string_view text) : lexer_(5) { (void)lexer_.SetString(text); }

  // The side as one expression, or null.
  std::unique_ptr<Expr> ParseSide(bool& stochastic, std::string& message) {
    std::vector<std::unique_ptr<Expr>> parts;
    if (!ParseGroup(0, false, parts) || parts.size() != 1) {
      if (message_.empty()) message_ = "Equation syntax error";
      message = message_;
      return nullptr;
    }
    stochastic = stochastic_;
    return std::move(parts[0]);
  }

private:
  // Reads items up to the closing ")" (nested) or the end, splitting at ",",
  // and reduces each run to one expression.
  bool ParseGroup(int depth, bool nested, std::vector<std::unique_ptr<Expr>>& out) {
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

  static bool IsOperand(const Item& item) { return !item.pending && !item.is_group; }

  static std::unique_ptr<Expr> Reduce(std::vector<Item>& items) {
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

  QDN_lexer lexer_;
  bool stochastic_ = false;
  std::string message_;
};

} // namespace

std::string QDN_expression::Print() const {
  std::string out;
  auto append_call = [&](const char* name) {
    out.append(name).push_back('(');
    for (size_t i = 0; i < children.size(); ++i) {
      if (i > 0) out.push_back(',');
      out.append(children[i]->Print());
    }
    out.push_back(')');
  };
  switch (kind) {
  case Kind::kVariable:
  case Kind::kNumber:
    out = text;
    break;
  case Kind::kSign:
    out = text;
    out.append(children[0]->Print());
    break;
  case Kind::kLog:
    append_call("Log");
    break;
  case Kind::kLog10:
    append_call("Log10");
    break;
  case Kind::kNormal:
    append_call("Normal");
    break;
  case Kind::kUniform:
    append_call("Uniform");
    break;
  default:
    out.push_back('(');
    out.append(children[0]->Print()).append(text).append(children[1]->Print());
    out.push_back(')');
    break;
  }
  return out;
}

void QDN_expression::ForEachVariable(const std::function<void(const std::string&)>& visit) const {
  if (kind == Kind::kVariable) visit(text);
  for (const auto& child : children)
    child->ForEachVariable(visit);
}

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
  std::unique_ptr<QDN_expression> left = Parser(sides[0]).ParseSide(stochastic_left, message);
  if (!left) return QDN_OUT_OF_RANGE;
  std::unique_ptr<QDN_expression> right = Parser(sides[1]).ParseSide(stochastic_right, message);
  if (!right) return QDN_OUT_OF_RANGE;
  text_ = text;
  left_ = std::move(left);
  right_ = std::move(right);
  stochastic_ = stochastic_left || stochastic_right;
  return QDN_NO_ERROR;
}

int QDN_EvaluateExpression(const QDN_expression& e,
                           const std::function<bool(const std::string&, double&)>& value_of,
                           std::mt19937_64& generator, double& result) {
  double a = 0, b = 0;
  if (!e.children.empty()) CB_TRY(QDN_EvaluateExpression(*e.children[0], value_of, generator, a));
  if (e.children.size() > 1) CB_TRY(QDN_EvaluateExpression(*e.children[1], value_of, generator, b));
  switch (e.kind) {
  case Kind::kVariable:
    return value_of(e.text, result) ? QDN_NO_ERROR : QDN_OUT_OF_RANGE;
  case Kind::kNumber:
    result = e.number;
    break;
  case Kind::kSign:
    result = e.text == "-" ? -a : a;
    break;
  case Kind::kAdd:
    result = a + b;
    break;
  case Kind::kSubtract:
    result = a - b;
    break;
  case Kind::kMultiply:
    result = a * b;
    break;
  case Kind::kDivide:
    result = a / b;
    break;
  case Kind::kPower:
    result = std::pow(a, b);
    break;
  case Kind::kLog:
    result = std::log(a);
    break;
  case Kind::kLog10:
    result = std::log10(a);
    break;
  case Kind::kNormal:
    // A zero spread is the mean itself; a negative or undefined one has no distribution.
    if (b > 0) {
      result = std::normal_distribution<double>(a, b)(generator);
    } else {
      result = b == 0 ? a : std::nan("");
    }
    break;
  case Kind::kUniform:
    result =
        a == b ? a
               : std::uniform_real_distribution<double>(std::min(a, b), std::max(a, b))(generator);
    break;
  }
  return QDN_NO_ERROR;
}

QDN_equation::QDN_equation(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  const char* id = NodeId();
  std::string message;
  (void)equation_.Parse(std::string(id ? id : "x") + " = 0", message);
}

const char* QDN_equation::NodeId() const {
  const QDN_node* node = Node();
  return node ? node->GetId() : nullptr;
}

bool QDN_equation::IsAllowedVariable(const std::string& variable) const {
  const char* id = NodeId();
  if (id && variable == id) return true;
  const QDN_intArray* parents = Parents();
  if (!parents) return false;
  for (int i = 0; i < parents->GetCount(); ++i) {
    const QDN_node* parent = network_->GetNode(parents->At(i));
    if (parent && parent->GetId() && variable == parent->GetId()) return true;
  }
  return false;
}

bool QDN_equationSCC::IsAllowedVariable(const std::string& variable) const {
  if (QDN_equation::IsAllowedVariable(variable)) return true;
  const int handle = network_ ? network_->FindNode(variable.c_str()) : -1;
  const QDN_node* node = handle >= 0 ? network_->GetNode(handle) : nullptr;
  return node && node->GetDefinition() && node->GetDefinition()->GetType() == QDN_EQUATION_SCC;
}

bool QDN_equation::ValidateEquation(const std::string& text, std::string& message) const {
  if (text.empty()) {
    message = "Equation cannot be empty.";
    return false;
  }
  QDN_equationText parsed;
  if (parsed.Parse(text, message) != QDN_NO_ERROR) return false;
  std::string unknown;
  auto check = [&](const std::string& variable) {
    if (unknown.empty() && !IsAllowedVariable(variable)) unknown = variable;
  };
  parsed.GetLeft()->ForEachVariable(check);
  parsed.GetRight()->ForEachVariable(check);
  if (!unknown.empty()) {
    message = "Equation contains a variable (" + unknown + UnknownVariableText();
    return false;
  }
  return true;
}

int QDN_equation::SetEquation(const std::string& text) {
  if (text == equation_.GetText()) return QDN_NO_ERROR;
  std::string message;
  if (!ValidateEquation(text, message)) return QDN_Log(QDN_OUT_OF_RANGE, message.c_str());
  CB_TRY(equation_.Parse(text, message));
  if (!network_) return QDN_NO_ERROR;
  // The node's value and every value computed from it are out of date.
  std::vector<int> pending{handle_};
  std::vector<char> seen(static_cast<size_t>(std::max(handle_ + 1, 1)), 0);
  while (!pending.empty()) {
    const int handle = pending.back();
    pending.pop_back();
    if (handle < 0) continue;
    if (static_cast<size_t>(handle) >= seen.size()) seen.resize(static_cast<size_t>(handle) + 1, 0);
    if (seen[static_cast<size_t>(handle)]) continue;
    seen[static_cast<size_t>(handle)] = 1;
    const QDN_node* node = network_->GetNode(handle);
    if (!node) continue;
    if (QDN_nodeValue* value = node->GetValue()) (void)value->SetValueInvalid();
    const QDN_intArray& children = network_->GetChildren(handle, 0);
    for (int i = 0; i < children.GetCount(); ++i)
      pending.push_back(children.At(i));
  }
  return QDN_NO_ERROR;
}

int QDN_equation::AddParent(int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  const int type = definition ? definition->GetType() : 0;
  if (type != QDN_EQUATION && type != QDN_EQUATION_SCC)
    return QDN_Log(QDN_OUT_OF_RANGE, "Only QDN_equation or QDN_equationSCC can be the paretns.");
  const QDN_node* node = network_->GetNode(parent);
  return SetEquation(equation_.GetText() + "+" + node->GetId());
}

int QDN_equation::RemoveParent(int parent) {
  const QDN_node* node = network_ ? network_->GetNode(parent) : nullptr;
  if (!node || !node->GetId()) return QDN_OUT_OF_RANGE;
  // The identifier is replaced by 0 wherever it stands as a whole word, which
  // keeps the equation well formed ("Log(p)" becomes "Log(0)").
  const std::string id = node->GetId();
  const std::string& text = equation_.GetText();
  auto is_word = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
  };
  std::string replaced;
  for (size_t i = 0; i < text.size();) {
    if (is_word(text[i])) {
      size_t j = i;
      while (j < text.size() && is_word(text[j]))
        ++j;
      const std::string_view word = std::string_view(text).substr(i, j - i);
      replaced.append(word == id ? std::string_view("0") : word);
      i = j;
    } else {
      replaced.push_back(text[i++]);
    }
  }
  if (replaced == text) return QDN_NO_ERROR;
  // The parent may still be listed while it is being removed; the new text
  // no longer names it, so validation does not depend on the order.
  return SetEquation(replaced);
}

int QDN_equation::CopyParameters(const QDN_nodeDefinition& source) {
  const auto* other = dynamic_cast<const QDN_equation*>(&source);
  if (!other) return QDN_WRONG_NODE_TYPE;
  std::string message;
  return ValidateEquation(other->GetEquation(), message) ? SetEquation(other->GetEquation())
                                                         : QDN_OUT_OF_RANGE;
}

int QDN_equation::AdoptDefinition(QDN_nodeDefinition& source) { return CopyParameters(source); }

int QDN_equation::Evaluate(const std::function<bool(const std::string&, double&)>& value_of,
                           std::mt19937_64& generator, double& result) const {
  if (!equation_.GetRight()) return QDN_OBJECT_NOT_READY;
  return QDN_EvaluateExpression(*equation_.GetRight(), value_of, generator, result);
}
