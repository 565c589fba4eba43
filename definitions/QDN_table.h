#pragma once

#include "core/QDN_Dmatrix.h"
#include "definitions/QDN_nodeDefinition.h"

// A utility node: one utility per combination of parent states. The table has
// one dimension per parent and a last dimension of size 1.
class QDN_table : public QDN_nodeDefinition {
public:
  QDN_table(QDN_network* network, int handle);

  int GetType() const override { return QDN_TABLE; }
  const char* GetTypeName() const override { return "TABLE"; }
  int AddParent(int parent) override;
  int RemoveParent(int parent) override;
  int RemoveParentWithEvidence(int parent) override;
  int SumOutParent(int parent) override;
  int AddParentOutcome(int parent, int position) override;
  int RemoveParentOutcome(int parent, int position) override;
  int ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) override;
  int ChangeOrderOfParents(const QDN_intArray& order) override;
  int GetSize() const override { return utilities_.GetSize(); }
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  QDN_Dmatrix* GetTable() override { return &utilities_; }
  [[nodiscard]] int SetDefinition(const QDN_Dmatrix& table) override {
    return utilities_.CopyFrom(table);
  }
  [[nodiscard]] int SetDefinition(const QDN_doubleArray& values) override;
  // -2 unless there is one value per utility.
  [[nodiscard]] int SetUtilities(const QDN_doubleArray& values);

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  QDN_Dmatrix utilities_;
};
