#include "definitions/QDN_equationSCC.h"

#include "network/QDN_network.h"
#include "network/QDN_node.h"

bool QDN_equationSCC::IsAllowedVariable(const std::string& variable) const {
  if (QDN_equation::IsAllowedVariable(variable)) return true;
  const int handle = network_ ? network_->FindNode(variable.c_str()) : -1;
  const QDN_node* node = handle >= 0 ? network_->GetNode(handle) : nullptr;
  return node && node->GetDefinition() && node->GetDefinition()->GetType() == QDN_EQUATION_SCC;
}
