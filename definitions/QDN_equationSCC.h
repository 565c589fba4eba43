#pragma once

#include <string>

#include "definitions/QDN_equation.h"

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
