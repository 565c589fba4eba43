#pragma once

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "definitions/QDN_nodeDefinition.h"

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

// Evaluates an expression: variables through value_of (false: unknown),
// draws of Normal(mean, spread) and Uniform(low, high) from generator.
// Logarithms of non-positive numbers and divisions by zero follow IEEE
// arithmetic (NaN or infinity). -2 when a variable has no value.
int QDN_EvaluateExpression(const QDN_expression& expression,
                           const std::function<bool(const std::string&, double&)>& value_of,
                           std::mt19937_64& generator, double& result);

// A continuous node defined by an equation between the node and its parents.
class QDN_equation : public QDN_nodeDefinition {
public:
  QDN_equation(QDN_network* network, int handle);
  int GetType() const override { return QDN_EQUATION; }
  const char* GetTypeName() const override { return "EQUATION"; }

  // True when text parses and names only the node and its parents;
  // otherwise false with the reason in message.
  virtual bool ValidateEquation(const std::string& text, std::string& message) const;
  // Validates, stores and parses text; invalidates the node's value and
  // those of the nodes depending on it. -2 (logged) when not valid.
  int SetEquation(const std::string& text);
  const std::string& GetEquation() const { return equation_.GetText(); }
  const QDN_equationText& GetParsed() const { return equation_; }
  bool IsStochastic() const { return equation_.IsStochastic(); }

  // Parents must be equation nodes; the new parent is added to the text as
  // "+" and its identifier.
  int AddParent(int parent) override;
  // Every occurrence of the parent's identifier in the equation becomes 0.
  int RemoveParent(int parent) override;
  int CopyParameters(const QDN_nodeDefinition& source) override;
  int AdoptDefinition(QDN_nodeDefinition& source) override;

  // The right side evaluated for the given parent values (by identifier).
  int Evaluate(const std::function<bool(const std::string&, double&)>& value_of,
               std::mt19937_64& generator, double& result) const;

protected:
  // Whether variable may appear in this node's equation.
  virtual bool IsAllowedVariable(const std::string& variable) const;
  virtual const char* UnknownVariableText() const {
    return ") which is not ID of this node or one of its parents.";
  }
  const char* NodeId() const;

private:
  QDN_equationText equation_;
};

// An equation of a group of equations solved together. Any other
// strongly-coupled equation of the network counts as a member of the group.
class QDN_equationSCC : public QDN_equation {
public:
  using QDN_equation::QDN_equation;
  int GetType() const override { return QDN_EQUATION_SCC; }
  const char* GetTypeName() const override { return "EQUATION_SCC"; }

protected:
  bool IsAllowedVariable(const std::string& variable) const override;
  const char* UnknownVariableText() const override {
    return ") which is not ID of this node, one of its parents, or one of its scc varaibles.";
  }
};

// A distribution node: only the base members; its specific operations are
// not available.
class QDN_distribution : public QDN_nodeDefinition {
public:
  using QDN_nodeDefinition::QDN_nodeDefinition;
  int GetType() const override { return QDN_DISTRIBUTION; }
  const char* GetTypeName() const override { return "DISTRIBUTION"; }
};
