#pragma once

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
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  [[nodiscard]] int AddOutcome(const char* name) override {
    return InsertOutcome(GetNumberOfOutcomes(), name);
  }
  [[nodiscard]] int InsertOutcome(int position, const char* name) override;
  [[nodiscard]] int RemoveOutcome(int position) override;
  int GetNumberOfOutcomes() const override { return ids_.GetCount(); }
  [[nodiscard]] int RenameOutcome(int index, const char* name) override;
  [[nodiscard]] int RenameOutcomes(const QDN_stringArray& names) override;
  const QDN_idArray* GetOutcomesNames() const override { return &ids_; }
  [[nodiscard]] int SetNumberOfOutcomes(const QDN_stringArray& names) override;
  [[nodiscard]] int SetNumberOfOutcomes(int count) override;
  [[nodiscard]] int ChangeOrderOfOutcomes(const QDN_intArray& order) override;
  [[nodiscard]] int SetDefinition(const QDN_doubleArray& values) override;
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
