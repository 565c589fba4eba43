#pragma once

#include "core/QDN_doubleArray.h"
#include "definitions/QDN_nodeDefinition.h"

// Multi-attribute utility: one weight per parent utility node.
class QDN_mau : public QDN_nodeDefinition {
public:
  QDN_mau(QDN_network* network, int handle);

  int GetType() const override { return QDN_MAU; }
  const char* GetTypeName() const override { return "MAU"; }
  int AddParent(int parent) override;
  int RemoveParent(int parent) override;
  int ChangeOrderOfParents(const QDN_intArray& order) override { return weights_.Permute(order); }
  int GetSize() const override { return weights_.GetCount(); }
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  [[nodiscard]] int SetDefinition(const QDN_doubleArray& values) override;
  // -2 unless there is one weight per parent.
  [[nodiscard]] int SetWeights(const QDN_doubleArray& weights);
  const QDN_doubleArray& GetWeights() const { return weights_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  QDN_doubleArray weights_;
};
