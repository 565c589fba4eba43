#pragma once

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_idArray.h"
#include "definitions/QDN_nodeDefinition.h"

// A decision node: its outcomes are the decision's choices. It has no table
// over its parents (its arcs are informational). The auxiliary array is
// carried, permuted with the choices and exchanged through SetDefinition.
class QDN_list : public QDN_nodeDefinition {
public:
  QDN_list(QDN_network* network, int handle);

  int GetType() const override { return QDN_LIST; }
  const char* GetTypeName() const override { return "LIST"; }
  int AddParent(int parent) override;
  int RemoveParent(int) override { return 0; }
  int AddParentOutcome(int, int) override { return 0; }
  int RemoveParentOutcome(int, int) override { return 0; }
  int ChangeOrderOfParentOutcomes(int, const QDN_intArray&) override { return 0; }
  int ChangeOrderOfParents(const QDN_intArray&) override { return 0; }
  int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  int CopyParameters(const QDN_nodeDefinition& source) override;
  int AddOutcome(const char* name) override { return InsertOutcome(GetNumberOfOutcomes(), name); }
  int InsertOutcome(int position, const char* name) override;
  int RemoveOutcome(int position) override;
  int GetNumberOfOutcomes() const override { return ids_.GetCount(); }
  int RenameOutcome(int index, const char* name) override;
  int RenameOutcomes(const QDN_stringArray& names) override;
  const QDN_idArray* GetOutcomesNames() const override { return &ids_; }
  int SetNumberOfOutcomes(const QDN_stringArray& names) override;
  int SetNumberOfOutcomes(int count) override;
  int ChangeOrderOfOutcomes(const QDN_intArray& order) override;
  int SetDefinition(const QDN_doubleArray& values) override;
  QDN_doubleArray& GetAuxiliary() { return auxiliary_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  // Fills the choices up to two and tells children, costs and value (the node
  // had old_outcomes choices before).
  int Rebuilt(int old_outcomes);

  QDN_idArray ids_;
  QDN_doubleArray auxiliary_;
};

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
  int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  int CopyParameters(const QDN_nodeDefinition& source) override;
  QDN_Dmatrix* GetTable() override { return &utilities_; }
  int SetDefinition(const QDN_Dmatrix& table) override { return utilities_.CopyFrom(table); }
  int SetDefinition(const QDN_doubleArray& values) override;
  // -2 unless there is one value per utility.
  int SetUtilities(const QDN_doubleArray& values);

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  bool IsTableParent(int parent) const;

  QDN_Dmatrix utilities_;
};

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
  int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  int CopyParameters(const QDN_nodeDefinition& source) override;
  int SetDefinition(const QDN_doubleArray& values) override;
  // -2 unless there is one weight per parent.
  int SetWeights(const QDN_doubleArray& weights);
  const QDN_doubleArray& GetWeights() const { return weights_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  QDN_doubleArray weights_;
};
