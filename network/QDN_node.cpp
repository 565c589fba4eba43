#include "network/QDN_node.h"

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"

QDN_node::QDN_node(QDN_network* network, int handle)
    : network_(network), handle_(handle), submodel_(QDN_network::kMainSubmodel) {}

QDN_costDefinition& QDN_node::GetCost() {
  if (!cost_) cost_ = std::make_unique<QDN_costDefinition>(network_, handle_);
  return *cost_;
}

const QDN_costDefinition& QDN_node::GetCost() const {
  static const QDN_costDefinition kNoCosts(nullptr, -1);
  return cost_ ? *cost_ : kNoCosts;
}

QDN_node::~QDN_node() = default;

void QDN_node::SetDefinition(std::unique_ptr<QDN_nodeDefinition> definition,
                             std::unique_ptr<QDN_nodeValue> value) {
  definition_ = std::move(definition);
  value_ = std::move(value);
  // The value's result is shaped by the definition's outcomes.
  if (value_) (void)value_->CreateResult();
  if (definition_ && !extra_)
    extra_ = std::make_unique<QDN_extraDefinition>(network_, handle_,
                                                   definition_->GetNumberOfOutcomes());
}

int QDN_node::SetSubmodel(int handle) {
  if (!network_->GetSubmodels().GetSubmodel(handle)) return QDN_OUT_OF_RANGE;
  submodel_ = handle | QDN_network::kMainSubmodel;
  return QDN_NO_ERROR;
}

int QDN_node::SetSubmodel(const char* id) {
  if (!id) return QDN_OUT_OF_RANGE;
  const int handle = network_->GetSubmodels().FindSubmodel(id);
  if (handle < 0) {
    QDN_SetLastErrorQuoted(id, "Unknown Submodel");
    return QDN_INVALID_IDENTIFIER;
  }
  return SetSubmodel(handle);
}

void QDN_node::CheckReadiness(int deep) {
  if (deep) {
    info_.CheckReadiness(deep);
    if (definition_) definition_->CheckReadiness(deep);
    if (value_) value_->CheckReadiness(deep);
  }
  AssignFlag(kReady, info_.IsReady() && definition_ && definition_->IsReady() && value_ &&
                         value_->IsReady());
}

void QDN_node::CheckConsistency(int deep) {
  if (deep) {
    info_.CheckConsistency(deep);
    if (definition_) definition_->CheckConsistency(deep);
  }
  AssignFlag(kConsistent, info_.IsConsistent() && (!definition_ || definition_->IsConsistent()));
}
