// Printing and evaluating parsed equation sides.
#include "definitions/QDN_expression.h"

#include <algorithm>
#include <cmath>

#include "core/QDN_status.h"

using Kind = QDN_expression::Kind;

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
