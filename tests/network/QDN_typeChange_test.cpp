// Type and outcome-count changes on nodes with parents and children: every
// table, weight list and evidence state stays aligned with the graph.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_status.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_nodeValue.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"
#include "test_lists.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

QDN_nodeDefinition& Def(QDN_network& net, int h) { return *net.GetNode(h)->GetDefinition(); }
QDN_nodeValue& Value(QDN_network& net, int h) { return *net.GetNode(h)->GetValue(); }
std::vector<double> Cells(QDN_network& net, int h) { return CellsOf(*Def(net, h).GetTable()); }

std::vector<std::string> Names(const QDN_nodeDefinition& d) {
  std::vector<std::string> out;
  for (int i = 0; i < d.GetOutcomesNames()->GetCount(); ++i)
    out.emplace_back(d.GetOutcomesNames()->At(i));
  return out;
}

// A three-state CPT parent "a" with a CPT child "c" whose six cells are set.
struct ParentAndChild {
  QDN_network net;
  int a = net.AddNode(QDN_CPT, "a");
  int c = net.AddNode(QDN_CPT, "c");
  ParentAndChild() {
    EXPECT_EQ(Def(net, a).AddOutcome("third"), QDN_NO_ERROR);
    EXPECT_EQ(net.AddArc(a, c, 0), QDN_NO_ERROR);
    EXPECT_EQ(static_cast<QDN_cpt&>(Def(net, c))
                  .SetProbabilities(DoubleList({0.1, 0.9, 0.2, 0.8, 0.3, 0.7})),
              QDN_NO_ERROR);
  }
};

} // namespace

TEST(TypeChangeTest, ChildrenThatCannotKeepTheParentLoseTheArc) {
  for (int type :
       {QDN_TABLE, QDN_MAU, QDN_EQUATION, QDN_EQUATION_SCC, QDN_CAST, QDN_DISTRIBUTION}) {
    SCOPED_TRACE(type);
    ParentAndChild f;
    ClearLog();
    ASSERT_EQ(f.net.ChangeNodeType(f.a, type), QDN_NO_ERROR);
    EXPECT_EQ(f.net.GetNumberOfParents(f.c, 0), 0);
    EXPECT_EQ(f.net.GetNumberOfChildren(f.a, 0), 0);
    // The child keeps the distribution of the parent's first state.
    EXPECT_EQ(Cells(f.net, f.c), (std::vector<double>{0.1, 0.9}));
    EXPECT_TRUE(LogContains("Arc from 'a' to 'c' removed"));
    ASSERT_EQ(f.net.DeleteNode(f.a), QDN_NO_ERROR);
    EXPECT_EQ(Cells(f.net, f.c), (std::vector<double>{0.1, 0.9}));
    f.net.GetNode(f.c)->CheckConsistency(1);
    EXPECT_TRUE(f.net.GetNode(f.c)->IsConsistent());
  }
}

TEST(TypeChangeTest, ParentsTheNewTypeRefusesAreRemoved) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), u = net.AddNode(QDN_TABLE, "u");
  const int x = net.AddNode(QDN_CPT, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(p, u, 0), QDN_NO_ERROR);
  ClearLog();
  // A MAU node takes only utility parents: x's chance parent goes.
  ASSERT_EQ(net.ChangeNodeType(x, QDN_MAU), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfParents(x, 0), 0);
  EXPECT_FALSE(LogContains("Parent could not be added"));
  EXPECT_TRUE(LogContains("a MAU node can't have a CPT parent"));
  ASSERT_EQ(net.AddArc(u, x, 0), QDN_NO_ERROR);
  EXPECT_EQ(static_cast<QDN_mau&>(Def(net, x)).GetWeights().GetCount(), 1);
  // A utility turned into a chance node loses its MAU child, keeps its own parent.
  ASSERT_EQ(net.ChangeNodeType(u, QDN_CPT), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfChildren(u, 0), 0);
  EXPECT_EQ(static_cast<QDN_mau&>(Def(net, x)).GetWeights().GetCount(), 0);
  EXPECT_EQ(net.GetNumberOfParents(u, 0), 1);
  EXPECT_EQ(Def(net, u).GetSize(), 4);
}

TEST(TypeChangeTest, CompatibleChildrenKeepTheirNumbers) {
  ParentAndChild f;
  const int u = f.net.AddNode(QDN_TABLE, "u");
  ASSERT_EQ(f.net.AddArc(f.a, u, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_table&>(Def(f.net, u)).SetUtilities(DoubleList({1, 2, 3})),
            QDN_NO_ERROR);
  for (int type : {QDN_TRUTHTABLE, QDN_NOISY_MAX, QDN_LIST, QDN_CPT}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(f.net.ChangeNodeType(f.a, type), QDN_NO_ERROR);
    EXPECT_EQ(Cells(f.net, f.c), (std::vector<double>{0.1, 0.9, 0.2, 0.8, 0.3, 0.7}));
    EXPECT_EQ(Cells(f.net, u), (std::vector<double>{1, 2, 3}));
  }
}

TEST(TypeChangeTest, EvidenceIsKeptOnlyWhereTheNewTypeHasTheOutcome) {
  ParentAndChild f;
  ASSERT_EQ(Value(f.net, f.a).SetEvidence(2), QDN_NO_ERROR);
  ASSERT_EQ(f.net.ChangeNodeType(f.a, QDN_TRUTHTABLE), QDN_NO_ERROR);
  EXPECT_EQ(Value(f.net, f.a).GetEvidence(), 2);
  EXPECT_EQ(Value(f.net, f.a).IsRealEvidence(), 1);
  // CAST has two outcomes: state 2 is gone.
  ASSERT_EQ(f.net.ChangeNodeType(f.a, QDN_CAST), QDN_NO_ERROR);
  EXPECT_EQ(Value(f.net, f.a).GetEvidence(), QDN_OUT_OF_RANGE);

  ParentAndChild g;
  ASSERT_EQ(Value(g.net, g.a).SetEvidence(1), QDN_NO_ERROR);
  ASSERT_EQ(g.net.ChangeNodeType(g.a, QDN_CAST), QDN_NO_ERROR);
  EXPECT_EQ(Value(g.net, g.a).GetEvidence(), 1);
  // A utility records no evidence, and none comes back with a chance type.
  ASSERT_EQ(g.net.ChangeNodeType(g.a, QDN_TABLE), QDN_NO_ERROR);
  EXPECT_EQ(Value(g.net, g.a).IsEvidence(), 0);
  ASSERT_EQ(g.net.ChangeNodeType(g.a, QDN_CPT), QDN_NO_ERROR);
  EXPECT_EQ(Value(g.net, g.a).IsEvidence(), 0);
}

TEST(TypeChangeTest, DistributionNodesHaveNoValueAndSayWhy) {
  QDN_network net;
  std::unique_ptr<QDN_nodeValue> value;
  EXPECT_EQ(QDN_CreateValue(QDN_DISTRIBUTION, &net, 0, value), QDN_OUT_OF_RANGE);
  EXPECT_EQ(QDN_CreateValue(0, &net, 0, value), QDN_NO_ERROR);
  ClearLog();
  const int d = net.AddNode(QDN_DISTRIBUTION, "d");
  ASSERT_GE(d, 0);
  EXPECT_EQ(net.GetNode(d)->GetValue(), nullptr);
  EXPECT_EQ(LoggedCount(), 1u);
  const int c = net.AddNode(QDN_CPT, "c");
  ClearLog();
  ASSERT_EQ(net.ChangeNodeType(c, QDN_DISTRIBUTION), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNode(c)->GetValue(), nullptr);
  EXPECT_EQ(LoggedCount(), 1u);
  ASSERT_EQ(net.ChangeNodeType(c, QDN_CPT), QDN_NO_ERROR);
  EXPECT_TRUE(net.GetNode(c)->IsReady());
}

TEST(OutcomeCountTest, ChildrenFollowSetNumberOfOutcomes) {
  ParentAndChild f;
  const int u = f.net.AddNode(QDN_TABLE, "u"), t = f.net.AddNode(QDN_TRUTHTABLE, "t");
  const int n = f.net.AddNode(QDN_NOISY_MAX, "n"), d = f.net.AddNode(QDN_LIST, "d");
  const int k = f.net.AddNode(QDN_CPT, "k");
  for (int child : {u, t, n, d})
    ASSERT_EQ(f.net.AddArc(f.a, child, 0), QDN_NO_ERROR);
  ASSERT_EQ(f.net.AddArc(f.a, k, QDN_network::kCostArc), QDN_NO_ERROR);
  const double costs[] = {1, 2, 3};
  ASSERT_EQ(f.net.GetNode(k)->GetCost().SetCosts(costs, 3), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_table&>(Def(f.net, u)).SetUtilities(DoubleList({1, 2, 3})),
            QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_truthTable&>(Def(f.net, t)).SetResultingStates(IntList({1, 0, 1})),
            QDN_NO_ERROR);

  // An index outside the outcomes points the run to outcome 0.
  auto& truth = static_cast<QDN_truthTable&>(Def(f.net, t));
  ASSERT_EQ(truth.SetResultingStates(IntList({1, 7, -1})), QDN_NO_ERROR);
  EXPECT_EQ(Cells(f.net, t), (std::vector<double>{0, 1, 1, 0, 1, 0}));
  ASSERT_EQ(truth.SetResultingStates(IntList({1, 0, 1})), QDN_NO_ERROR);

  ASSERT_EQ(Def(f.net, f.a).SetNumberOfOutcomes(4), QDN_NO_ERROR);
  EXPECT_EQ(Cells(f.net, f.c), (std::vector<double>{0.1, 0.9, 0.2, 0.8, 0.3, 0.7, 0.5, 0.5}));
  EXPECT_EQ(Cells(f.net, u), (std::vector<double>{1, 2, 3, 0}));
  EXPECT_EQ(Cells(f.net, t), (std::vector<double>{0, 1, 1, 0, 0, 1, 0, 1}));
  EXPECT_EQ(static_cast<QDN_noisyMAX&>(Def(f.net, n)).GetStrengths(0).GetCount(), 4);
  EXPECT_EQ(Def(f.net, n).GetProbabilityTable()->GetSize(), 8);
  EXPECT_EQ(f.net.GetNode(k)->GetCost().GetCosts().GetSize(), 4);

  ASSERT_EQ(Def(f.net, f.a).SetNumberOfOutcomes(TextList({"lo", "hi"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Def(f.net, f.a)), (std::vector<std::string>{"lo", "hi"}));
  EXPECT_EQ(Cells(f.net, f.c), (std::vector<double>{0.1, 0.9, 0.2, 0.8}));
  EXPECT_EQ(Cells(f.net, u), (std::vector<double>{1, 2}));
  EXPECT_EQ(Def(f.net, n).GetProbabilityTable()->GetSize(), 4);
  for (int h : {f.c, u, t, n, d}) {
    f.net.GetNode(h)->CheckReadiness(1);
    EXPECT_TRUE(f.net.GetNode(h)->IsReady()) << h;
  }

  // A decision parent with children is reshaped the same way.
  ASSERT_EQ(f.net.ChangeNodeType(f.a, QDN_LIST), QDN_NO_ERROR);
  ASSERT_EQ(Def(f.net, f.a).SetNumberOfOutcomes(3), QDN_NO_ERROR);
  EXPECT_EQ(Cells(f.net, u), (std::vector<double>{1, 2, 0}));
  // A count the node can't have changes nothing.
  EXPECT_EQ(Def(f.net, f.c).SetNumberOfOutcomes(0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(Def(f.net, f.c).GetNumberOfOutcomes(), 2);
}

TEST(OutcomeCountTest, EvidenceFollowsItsOutcome) {
  QDN_network net;
  const int a = net.AddNode(QDN_CPT, "a");
  QDN_nodeDefinition& d = Def(net, a);
  ASSERT_EQ(d.AddOutcome("c"), QDN_NO_ERROR);
  ASSERT_EQ(Value(net, a).SetEvidence(1), QDN_NO_ERROR);
  ASSERT_EQ(d.InsertOutcome(0, "first"), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).GetEvidence(), 2);
  ASSERT_EQ(d.RemoveOutcome(0), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).GetEvidence(), 1);
  ASSERT_EQ(d.ChangeOrderOfOutcomes(IntList({1, 2, 0})), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).GetEvidence(), 0);
  ASSERT_EQ(d.RemoveOutcome(0), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).IsEvidence(), 0);
  ASSERT_EQ(Value(net, a).SetEvidence(1), QDN_NO_ERROR);
  ASSERT_EQ(d.SetNumberOfOutcomes(5), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).GetEvidence(), 1);
  ASSERT_EQ(Value(net, a).SetEvidence(4), QDN_NO_ERROR);
  ASSERT_EQ(d.SetNumberOfOutcomes(3), QDN_NO_ERROR);
  EXPECT_EQ(Value(net, a).IsEvidence(), 0);
  EXPECT_EQ(Value(net, a).ClearEvidence(), QDN_OUT_OF_RANGE);
}

TEST(OutcomeCountTest, ADecisionWithOneNamedChoiceKeepsIt) {
  QDN_network net;
  const int d = net.AddNode(QDN_LIST, "d");
  ASSERT_EQ(Def(net, d).SetNumberOfOutcomes(TextList({"go"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Def(net, d)), (std::vector<std::string>{"go", "Choice1"}));
  ASSERT_EQ(Def(net, d).SetNumberOfOutcomes(TextList({"Choice1"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Def(net, d)), (std::vector<std::string>{"Choice1", "Choice2"}));
  ASSERT_EQ(Def(net, d).SetNumberOfOutcomes(TextList({"stop", "go", "wait"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Def(net, d)), (std::vector<std::string>{"stop", "go", "wait"}));
  const int c = net.AddNode(QDN_CPT, "c");
  ASSERT_EQ(Def(net, c).SetNumberOfOutcomes(TextList({"go"})), QDN_NO_ERROR);
  EXPECT_EQ(Names(Def(net, c)), (std::vector<std::string>{"go", "State1"}));
}

TEST(WeightsTest, CastAndMauWeightsFollowTheirParents) {
  QDN_network net;
  const int p = net.AddNode(QDN_CAST, "p"), q = net.AddNode(QDN_CAST, "q");
  const int x = net.AddNode(QDN_CAST, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(q, x, 0), QDN_NO_ERROR);
  auto& cast = static_cast<QDN_cast&>(Def(net, x));
  ASSERT_EQ(cast.SetPositiveWeights(DoubleList({0.5, 0.25})), QDN_NO_ERROR);
  ASSERT_EQ(cast.SetNegativeWeights(DoubleList({-0.5, -0.75})), QDN_NO_ERROR);
  EXPECT_EQ(cast.GetSize(), 8);
  ASSERT_EQ(net.DeleteNode(p), QDN_NO_ERROR);
  EXPECT_EQ(cast.GetPositiveWeights().At(0), 0.25);
  EXPECT_EQ(cast.GetNegativeWeights().At(0), -0.75);
  // q True: P = 0.75, N = 1, d = 1 - 0.75, P(True) = 0.5 + 0.5 * 0.25; q False: d = -0.75.
  EXPECT_EQ(CellsOf(*cast.GetTable()), (std::vector<double>{0.625, 0.375, 0.125, 0.875}));
  EXPECT_EQ(cast.SetBaseline(-0.1), QDN_OUT_OF_RANGE);

  const int u = net.AddNode(QDN_TABLE, "u"), v = net.AddNode(QDN_TABLE, "v");
  const int m = net.AddNode(QDN_MAU, "m");
  ASSERT_EQ(net.AddArc(u, m, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(v, m, 0), QDN_NO_ERROR);
  auto& mau = static_cast<QDN_mau&>(Def(net, m));
  EXPECT_EQ(mau.SetWeights(DoubleList({0.5})), QDN_OUT_OF_RANGE);
  ASSERT_EQ(mau.SetWeights(DoubleList({0.25, 0.75})), QDN_NO_ERROR);
  ASSERT_EQ(net.RemoveArc(u, m, 0), QDN_NO_ERROR);
  ASSERT_EQ(mau.GetWeights().GetCount(), 1);
  EXPECT_EQ(mau.GetWeights().At(0), 0.75);
}
