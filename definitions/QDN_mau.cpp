#include "definitions/QDN_mau.h"

#include <algorithm>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"

QDN_mau::QDN_mau(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

int QDN_mau::CreateTable() {
  weights_.Release(0);
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_mau::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->IsOfType(QDN_DISCRETE_BIT) ||
      (definition->GetType() != QDN_TABLE && definition->GetType() != QDN_MAU))
    return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0 || position > weights_.GetCount()) return QDN_OUT_OF_RANGE;
  return weights_.InsertAt(position, 1.0);
}

int QDN_mau::RemoveParent(int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || (definition->GetType() != QDN_TABLE && definition->GetType() != QDN_MAU))
    return QDN_NO_ERROR;
  const int position = ParentIndex(parent);
  if (position < 0 || position >= weights_.GetCount()) return QDN_OUT_OF_RANGE;
  return weights_.RemoveAt(position);
}

int QDN_mau::SetDefinition(const QDN_doubleArray& values) {
  if (values.GetCount() < weights_.GetCount()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), weights_.GetCount(), weights_.Data());
  return QDN_NO_ERROR;
}

int QDN_mau::SetWeights(const QDN_doubleArray& weights) {
  if (!IsReady() || !weights.IsReady()) return QDN_OBJECT_NOT_READY;
  if (weights.GetCount() != weights_.GetCount()) return QDN_OUT_OF_RANGE;
  std::copy_n(weights.Data(), weights.GetCount(), weights_.Data());
  return FinishChange(QDN_network::kValuesChanged);
}

int QDN_mau::CopyParameters(const QDN_nodeDefinition& source) {
  return CopyUtilityParameters(source, [&] {
    // Only another multi-attribute node has weights to give.
    if (source.GetType() == QDN_MAU)
      (void)weights_.CopyValues(static_cast<const QDN_mau&>(source).weights_);
  });
}

int QDN_mau::AdoptDefinition(QDN_nodeDefinition& source) {
  if (source.GetType() != QDN_MAU) return QDN_OUT_OF_RANGE;
  CB_TRY(weights_.Adopt(static_cast<QDN_mau&>(source).weights_));
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

void QDN_mau::Release(int deep) {
  weights_.Release(deep);
  CheckReadiness(0);
}

void QDN_mau::CheckReadiness(int deep) {
  if (deep) weights_.CheckReadiness(deep);
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && weights_.IsReady());
}
