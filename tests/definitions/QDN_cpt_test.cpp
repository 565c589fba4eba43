#include "definitions/QDN_cpt.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/QDN_cellBudget.h"
#include "core/QDN_status.h"
#include "definitions/QDN_beliefVector.h"
#include "definitions/QDN_equationEvaluation.h"
#include "definitions/QDN_nodeValue.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_lists.h"

namespace {

QDN_cpt& Cpt(QDN_network& net, int h) {
  return *static_cast<QDN_cpt*>(net.GetNode(h)->GetDefinition());
}

std::vector<std::string> Names(const QDN_nodeDefinition& d) {
  std::vector<std::string> out;
  for (int i = 0; i < d.GetOutcomesNames()->GetCount(); ++i)
    out.emplace_back(d.GetOutcomesNames()->At(i));
  return out;
}

} // namespace

TEST(CptTest, NewNodeIsUniformOverTwoOutcomes) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a");
  EXPECT_TRUE(net.GetNode(h)->IsReady());
  EXPECT_EQ(Names(Cpt(net, h)), (std::vector<std::string>{"State0", "State1"}));
  EXPECT_EQ(CellsOf(*Cpt(net, h).GetTable()), (std::vector<double>{0.5, 0.5}));
  // The default names are laid out as appending them one by one lays them out.
  QDN_idArray appended;
  ASSERT_EQ(appended.AppendUniqueId("State", 0), QDN_NO_ERROR);
  ASSERT_EQ(appended.AppendUniqueId("State", 1), QDN_NO_ERROR);
  const QDN_idArray& names = *Cpt(net, h).GetOutcomesNames();
  EXPECT_EQ(names.GetSize(), appended.GetSize());
  EXPECT_EQ(names.GetDelta(), appended.GetDelta());
  EXPECT_EQ(Cpt(net, h).GetTable()->GetItems().GetCount(), 2);
  EXPECT_EQ(DefinitionTypeFromName("CPT"), QDN_CPT);
  EXPECT_EQ(DefinitionTypeFromName("cpt"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetNode(h)->GetValue()->GetType(), 3);
  EXPECT_EQ(net.GetNode(h)->GetValue()->GetEvidence(), QDN_OUT_OF_RANGE);
}

TEST(CptTest, ParentsKeepEachDistributionAtItsParentState) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), c = net.AddNode(QDN_CPT, "c");
  ASSERT_EQ(Cpt(net, p).AddOutcome("third"), QDN_NO_ERROR);
  ASSERT_EQ(Cpt(net, c).SetProbabilities(DoubleList({0.2, 0.8})), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(p, c, 0), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()), (std::vector<double>{0.2, 0.8, 0.2, 0.8, 0.2, 0.8}));
  ASSERT_EQ(Cpt(net, c).SetProbabilities(DoubleList({0.1, 0.9, 0.3, 0.7, 0.6, 0.4})), QDN_NO_ERROR);
  // A new parent state at position 0 gets a uniform distribution.
  ASSERT_EQ(Cpt(net, p).InsertOutcome(0, "first"), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()),
            (std::vector<double>{0.5, 0.5, 0.1, 0.9, 0.3, 0.7, 0.6, 0.4}));
  ASSERT_EQ(Cpt(net, p).RemoveOutcome(2), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()), (std::vector<double>{0.5, 0.5, 0.1, 0.9, 0.6, 0.4}));
  ASSERT_EQ(Cpt(net, p).ChangeOrderOfOutcomes(IntList({2, 0, 1})), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()), (std::vector<double>{0.6, 0.4, 0.5, 0.5, 0.1, 0.9}));
  ASSERT_EQ(net.RemoveArc(p, c, 0), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()), (std::vector<double>{0.6, 0.4}));
}

TEST(CptTest, OutcomeRules) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a");
  EXPECT_EQ(Cpt(net, h).RemoveOutcome(0), QDN_OUT_OF_RANGE);
  ASSERT_EQ(Cpt(net, h).AddOutcome("State0"), QDN_NO_ERROR);
  EXPECT_EQ(Names(Cpt(net, h)), (std::vector<std::string>{"State0", "State1", "State2"}));
  EXPECT_EQ(Cpt(net, h).GetTable()->At(2), 0.0);
  ASSERT_EQ(Cpt(net, h).SetNumberOfOutcomes(TextList({"low", "1high", "low"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Cpt(net, h)), (std::vector<std::string>{"low", "x1high", "low2"}));
  EXPECT_EQ(net.GetNode(h)->GetExtraDefinition()->GetNumberOfOutcomes(), 3);
}

TEST(CptTest, ConsistencyToleratesOnlyTinySumErrors) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a");
  QDN_cpt& cpt = Cpt(net, h);
  ASSERT_EQ(cpt.SetProbabilities(DoubleList({0.5, 0.4999951})), QDN_NO_ERROR);
  EXPECT_TRUE(cpt.IsConsistent());
  ASSERT_EQ(cpt.SetProbabilities(DoubleList({0.5, 0.49999})), QDN_NO_ERROR);
  EXPECT_FALSE(cpt.IsConsistent());
  ASSERT_EQ(cpt.SetProbabilities(DoubleList({-0.0001, 1.0001})), QDN_NO_ERROR);
  EXPECT_FALSE(cpt.IsConsistent());
  EXPECT_EQ(cpt.SetProbabilities(DoubleList({1.0})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(cpt.SetDefinition(DoubleList({1.0})), QDN_OUT_OF_RANGE);
}

TEST(CptTest, ReplaceOutcomesKeepsMappedColumns) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a");
  QDN_cpt& cpt = Cpt(net, h);
  ASSERT_EQ(cpt.SetNumberOfOutcomes(TextList({"a", "b", "c"})), QDN_NO_ERROR);
  ASSERT_EQ(cpt.SetProbabilities(DoubleList({0.2, 0.3, 0.5})), QDN_NO_ERROR);
  ASSERT_EQ(cpt.ReplaceOutcomes(TextList({"c", "x"}), IntList({2, -1})), QDN_NO_ERROR);
  EXPECT_EQ(Names(cpt), (std::vector<std::string>{"c", "x"}));
  EXPECT_EQ(CellsOf(*cpt.GetTable()), (std::vector<double>{0.5, 0.0}));
}

TEST(CptTest, ChangingTypeKeepsWhatTheNewTypeCanHold) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), c = net.AddNode(QDN_CPT, "c");
  ASSERT_EQ(net.AddArc(p, c, 0), QDN_NO_ERROR);
  ASSERT_EQ(Cpt(net, c).SetProbabilities(DoubleList({0.3, 0.7, 0.9, 0.1})), QDN_NO_ERROR);
  ASSERT_EQ(net.ChangeNodeType(c, QDN_TRUTHTABLE), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*Cpt(net, c).GetTable()), (std::vector<double>{0, 1, 1, 0}));
  ASSERT_EQ(net.ChangeNodeType(c, QDN_TABLE), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNode(c)->GetDefinition()->GetSize(), 2);
  EXPECT_EQ(net.GetNode(c)->GetValue()->GetTypeName(), std::string("EXPECTED UTILITY"));
  ASSERT_EQ(net.ChangeNodeType(p, QDN_LIST), QDN_NO_ERROR);
  EXPECT_EQ(Names(*net.GetNode(p)->GetDefinition()),
            (std::vector<std::string>{"State0", "State1"}));
  EXPECT_EQ(net.ChangeNodeType(p, 99), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(net.GetNode(c)->IsReady());
}

TEST(TruthTableTest, DeterministicRuns) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), t = net.AddNode(QDN_TRUTHTABLE, "t");
  auto& table = *static_cast<QDN_truthTable*>(net.GetNode(t)->GetDefinition());
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{1, 0}));
  ASSERT_EQ(Cpt(net, p).AddOutcome(nullptr), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(p, t, 0), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{1, 0, 1, 0, 1, 0}));
  ASSERT_EQ(Cpt(net, p).InsertOutcome(1, "mid"), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{1, 0, 0, 1, 1, 0, 1, 0}));
  EXPECT_EQ(table.SetResultingStates(IntList({1})), QDN_OUT_OF_RANGE);

  QDN_network small;
  const int q = small.AddNode(QDN_CPT, "q"), u = small.AddNode(QDN_TRUTHTABLE, "u");
  ASSERT_EQ(small.AddArc(q, u, 0), QDN_NO_ERROR);
  auto& det = *static_cast<QDN_truthTable*>(small.GetNode(u)->GetDefinition());
  ASSERT_EQ(det.SetResultingStates(TextList({"State1", "nothing"})), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*det.GetTable()), (std::vector<double>{0, 1, 1, 0}));
  QDN_stringArray names;
  ASSERT_EQ(det.GetResultingStates(names), QDN_NO_ERROR);
  EXPECT_STREQ(names.At(0), "State1");
  EXPECT_STREQ(names.At(1), "State0");
  det.GetTable()->At(0) = 0.5;
  det.GetTable()->At(1) = 0.5;
  det.CheckConsistency(0);
  EXPECT_FALSE(det.IsConsistent());
}

TEST(NodeValueTest, EvidenceLifecycle) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a");
  QDN_nodeValue& value = *net.GetNode(h)->GetValue();
  EXPECT_EQ(value.GetSize(), 2);
  ASSERT_EQ(value.SetEvidence(1), QDN_NO_ERROR);
  EXPECT_EQ(value.GetEvidence(), 1);
  EXPECT_EQ(value.IsRealEvidence(), 1);
  ASSERT_EQ(value.ClearEvidence(), QDN_NO_ERROR);
  EXPECT_EQ(value.GetEvidence(), QDN_OUT_OF_RANGE);
  ASSERT_EQ(value.SetEvidence(2), QDN_NO_ERROR); // out of range: nothing set
  EXPECT_EQ(value.IsEvidence(), 0);
  QDN_equationEvaluation samples(&net, h);
  for (double x : {1.0, 2.0, 3.0})
    samples.AddSample(x);
  EXPECT_EQ(samples.GetSampleCount(), 3);
  EXPECT_EQ(samples.GetSum(), 6.0);
  EXPECT_EQ(samples.GetSumOfSquares(), 14.0);
}

// A value keeps only the size of its result until the result is asked for;
// the cells are charged to a load's budget when the result is reset, once.
TEST(NodeValueTest, ResultIsMadeOnFirstUseAndChargedOnce) {
  QDN_network net;
  const int h = net.AddNode(QDN_CPT, "a"), u = net.AddNode(QDN_TABLE, "u");
  ASSERT_EQ(Cpt(net, h).AddOutcome("third"), QDN_NO_ERROR);
  QDN_nodeValue& value = *net.GetNode(h)->GetValue();
  QDN_beliefVector copy(&net, h);
  {
    QDN_cellBudget::Scope scope(4);
    ASSERT_EQ(value.CreateResult(), QDN_NO_ERROR);
    EXPECT_EQ(value.GetSize(), 3);
    EXPECT_EQ(scope.GetUsed(), 3);
    QDN_Dmatrix* result = value.GetResultMatrix();
    EXPECT_EQ(value.GetResultMatrix(), result);
    EXPECT_EQ(CellsOf(*result), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(result->GetNumberOfDimensions(), 1);
    EXPECT_EQ(scope.GetUsed(), 3) << "made from what was charged";
    EXPECT_TRUE(value.HoldsTable(result));

    // A copy of the same type keeps the size; its charge passes the budget.
    EXPECT_EQ(copy.CopyFrom(value), QDN_OUT_OF_RANGE);
    EXPECT_TRUE(scope.Exceeded());
    EXPECT_TRUE(copy.HoldsTable(scope.GetRefusedTable()));
    EXPECT_FALSE(value.HoldsTable(scope.GetRefusedTable()));
    EXPECT_EQ(copy.GetSize(), 0);
  }
  ASSERT_EQ(copy.CopyFrom(value), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetSize(), 3);
  EXPECT_EQ(copy.GetResultMatrix()->GetSize(), 3);

  QDN_nodeValue& utility = *net.GetNode(u)->GetValue();
  EXPECT_EQ(utility.GetSize(), 1);
  value.Release(0);
  EXPECT_EQ(value.GetSize(), 0);
  EXPECT_EQ(value.GetResultMatrix()->GetSize(), 0);
  value.GetIndexingParents().Append(u);
  ASSERT_EQ(copy.CopyFrom(value), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetIndexingParents().GetCount(), 1);
}

// Random parent and outcome changes on CPT, noisy-MAX and truth-table
// children: every table stays ready and of the right shape, and every run of
// surviving parent states keeps its numbers.
TEST(DefinitionsPropertyTest, RandomStructureChangesKeepNumbersAtTheirStates) {
  std::mt19937 random(12345);
  for (int child_type : {QDN_CPT, QDN_NOISY_MAX, QDN_TRUTHTABLE}) {
    SCOPED_TRACE(child_type);
    QDN_network net;
    const int a = net.AddNode(QDN_CPT, "a"), b = net.AddNode(QDN_CPT, "b");
    const int c = net.AddNode(child_type, "c");
    ASSERT_EQ(Cpt(net, a).AddOutcome(nullptr), QDN_NO_ERROR);
    ASSERT_EQ(net.AddArc(a, c, 0), QDN_NO_ERROR);
    ASSERT_EQ(net.AddArc(b, c, 0), QDN_NO_ERROR);
    QDN_nodeDefinition& child = *net.GetNode(c)->GetDefinition();
    ASSERT_EQ(child.AddOutcome(nullptr), QDN_NO_ERROR);
    const int n = child.GetNumberOfOutcomes();
    // Distinct numbers in every run.
    QDN_Dmatrix& stored = *child.GetTable();
    std::uniform_real_distribution<double> unit(0.05, 1.0);
    for (int start = 0; start < stored.GetSize(); start += n) {
      double sum = 0;
      for (int k = 0; k < n; ++k)
        sum += stored.At(start + k) = unit(random);
      for (int k = 0; k < n; ++k)
        stored.At(start + k) /= sum;
    }
    if (child_type == QDN_TRUTHTABLE) (void)static_cast<QDN_truthTable&>(child).MakeDeterministic();
    if (child_type == QDN_NOISY_MAX) {
      auto& noisy = static_cast<QDN_noisyMAX&>(child);
      for (int i = 0; i < 2; ++i) {
        const QDN_intArray& s = noisy.GetStrengths(i);
        const int last = noisy.GetParentStartingPosition(i) + s.GetCount() - 1;
        for (int k = 0; k < n; ++k)
          stored.At(last * n + k) = k == n - 1 ? 1.0 : 0.0;
      }
    }
    // Original run of every parent-state pair.
    std::vector<std::vector<std::vector<double>>> original;
    auto run_of = [&](int sa, int sb) {
      const QDN_Dmatrix* table = child.GetProbabilityTable();
      const int index = (sa * table->GetDimensionSize(1) + sb) * n;
      return std::vector<double>(table->GetItems().Data() + index,
                                 table->GetItems().Data() + index + n);
    };
    for (int sa = 0; sa < net.GetNumberOfOutcomes(a); ++sa) {
      original.emplace_back();
      for (int sb = 0; sb < net.GetNumberOfOutcomes(b); ++sb)
        original.back().push_back(run_of(sa, sb));
    }
    // labels[p][state] = the original state it continues, -1 for a new one.
    std::vector<std::vector<int>> labels(2);
    for (int s = 0; s < net.GetNumberOfOutcomes(a); ++s)
      labels[0].push_back(s);
    for (int s = 0; s < net.GetNumberOfOutcomes(b); ++s)
      labels[1].push_back(s);
    for (int step = 0; step < 60; ++step) {
      const int which = static_cast<int>(random() % 2);
      const int parent = which == 0 ? a : b;
      auto& def = *net.GetNode(parent)->GetDefinition();
      auto& list = labels[static_cast<size_t>(which)];
      const int count = def.GetNumberOfOutcomes();
      switch (random() % 3) {
      case 0: {
        const int p = static_cast<int>(random() % static_cast<unsigned>(count + 1));
        ASSERT_EQ(def.InsertOutcome(p, nullptr), QDN_NO_ERROR);
        list.insert(list.begin() + p, -1);
        break;
      }
      case 1: {
        const int p = static_cast<int>(random() % static_cast<unsigned>(count));
        // A noisy-MAX block always keeps its distinguished (no-effect) row.
        if (child_type == QDN_NOISY_MAX) {
          const QDN_intArray& s = static_cast<QDN_noisyMAX&>(child).GetStrengths(which);
          if (s.At(p) == s.GetCount() - 1) break;
        }
        if (def.RemoveOutcome(p) == QDN_NO_ERROR) list.erase(list.begin() + p);
        break;
      }
      default: {
        std::vector<int> perm(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
          perm[static_cast<size_t>(i)] = i;
        std::shuffle(perm.begin(), perm.end(), random);
        QDN_intArray order;
        for (int v : perm)
          (void)order.Append(v);
        ASSERT_EQ(def.ChangeOrderOfOutcomes(order), QDN_NO_ERROR);
        const std::vector<int> old = list;
        for (int i = 0; i < count; ++i)
          list[static_cast<size_t>(i)] = old[static_cast<size_t>(perm[static_cast<size_t>(i)])];
      }
      }
      net.GetNode(c)->CheckReadiness(1);
      ASSERT_TRUE(net.GetNode(c)->IsReady());
      const QDN_Dmatrix* table = child.GetProbabilityTable();
      ASSERT_NE(table, nullptr);
      ASSERT_EQ(table->GetNumberOfDimensions(), 3);
      ASSERT_EQ(table->GetDimensionSize(0), net.GetNumberOfOutcomes(a));
      ASSERT_EQ(table->GetDimensionSize(1), net.GetNumberOfOutcomes(b));
      for (size_t i = 0; i < labels[0].size(); ++i)
        for (size_t j = 0; j < labels[1].size(); ++j) {
          if (labels[0][i] < 0 || labels[1][j] < 0) continue;
          const auto run = run_of(static_cast<int>(i), static_cast<int>(j));
          const auto& want =
              original[static_cast<size_t>(labels[0][i])][static_cast<size_t>(labels[1][j])];
          for (int k = 0; k < n; ++k)
            ASSERT_NEAR(run[static_cast<size_t>(k)], want[static_cast<size_t>(k)], 1e-12);
        }
    }
  }
}
