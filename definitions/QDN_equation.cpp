// Equation nodes: validation, parent rules and evaluation.
#include "definitions/QDN_equation.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

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
