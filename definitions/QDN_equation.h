#pragma once

#include <functional>
#include <random>
#include <string>

#include "definitions/QDN_equationText.h"
#include "definitions/QDN_nodeDefinition.h"

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
  [[nodiscard]] int SetEquation(const std::string& text);
  const std::string& GetEquation() const { return equation_.GetText(); }
  const QDN_equationText& GetParsed() const { return equation_; }
  bool IsStochastic() const { return equation_.IsStochastic(); }

  // Parents must be equation nodes; the new parent is added to the text as
  // "+" and its identifier.
  int AddParent(int parent) override;
  // Every occurrence of the parent's identifier in the equation becomes 0.
  int RemoveParent(int parent) override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;

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
