#include "network/QDN_network.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

std::vector<int> Items(const QDN_intArray& a) {
  return std::vector<int>(a.Data(), a.Data() + a.GetCount());
}

std::string IdOf(const QDN_network& net, int handle) { return net.GetNode(handle)->GetId(); }

} // namespace

TEST(NetworkTest, HandlesAndDefaultIdentifiers) {
  QDN_network net;
  EXPECT_EQ(net.AddNode(18, "A"), 0);
  EXPECT_EQ(net.AddNode(18, "A"), QDN_OUT_OF_RANGE);

  QDN_network fresh;
  const int h = fresh.AddNode(18, "1abc");
  ASSERT_GE(h, 0);
  EXPECT_EQ(IdOf(fresh, h), "Node0");
  EXPECT_STREQ(fresh.GetNode(h)->GetName(), "1abc");

  QDN_network defaults;
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(defaults.AddNode(18, nullptr), i);
  EXPECT_EQ(IdOf(defaults, 1), "Node1");
  ASSERT_EQ(defaults.DeleteNode(1), QDN_NO_ERROR);
  EXPECT_EQ(defaults.GetNode(1), nullptr);
  EXPECT_EQ(defaults.AddNode(18, nullptr), 1);
  EXPECT_EQ(IdOf(defaults, 1), "Node3"); // Node2 is taken
  EXPECT_EQ(defaults.FindNode("Node1"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(defaults.FindNode("Node3"), 1);
}

TEST(NetworkTest, NodesAndSubmodelsShareOneNamespace) {
  QDN_network net;
  EXPECT_EQ(net.AddNode(18, "Unnamed"), QDN_OUT_OF_RANGE);
  ASSERT_GT(net.GetSubmodels().AddSubmodel(16384, "Group"), 0);
  EXPECT_EQ(net.AddNode(18, "Group"), QDN_OUT_OF_RANGE);
  const int a = net.AddNode(18, "a");
  EXPECT_EQ(net.FindNode("A"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.SetNodeId(a, "Group"), QDN_OUT_OF_RANGE);
  const int b = net.AddNode(18, "b");
  EXPECT_EQ(net.SetNodeId(b, "a"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.SetNodeId(b, "b c"), QDN_INVALID_IDENTIFIER);
  EXPECT_STREQ(QDN_GetLastErrorText(), "ERROR: (\"b c\") : Invalid Identifier");
  ASSERT_EQ(net.SetNodeId(b, "renamed"), QDN_NO_ERROR);
  EXPECT_EQ(net.FindNode("renamed"), b);
  EXPECT_EQ(net.FindNode("b"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.IsIdentifierInUse("renamed", b), 0);
  EXPECT_EQ(net.IsIdentifierInUse("renamed", -1), 1);
  // Renaming through the header directly keeps the index too.
  (void)net.GetNode(a)->GetInfo().header.SetId("direct");
  EXPECT_EQ(net.FindNode("direct"), a);
  EXPECT_EQ(net.FindNode("a"), QDN_OUT_OF_RANGE);
}

TEST(NetworkTest, TableGrowsWithoutMovingHandles) {
  QDN_network net;
  for (int i = 0; i < 51; ++i)
    ASSERT_EQ(net.AddNode(0, nullptr), i);
  EXPECT_EQ(net.GetCapacity(), 100);
  for (int i = 0; i < 51; ++i)
    EXPECT_EQ(net.GetNode(i)->GetHandle(), i);
  EXPECT_EQ(net.GetNextNode(50), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetNextNode(-5), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetFirstNode(), 0);
  // Each growth adds the growth step, not a multiple of the table.
  ASSERT_EQ(net.Initialize(10, 7), QDN_NO_ERROR);
  for (int i = 0; i < 25; ++i)
    ASSERT_EQ(net.AddNode(0, nullptr), i);
  EXPECT_EQ(net.GetCapacity(), 31);
}

TEST(NetworkTest, ArcRefusals) {
  QDN_network net;
  const int a = net.AddNode(0, "a"), b = net.AddNode(0, "b"), c = net.AddNode(0, "c");
  ClearLog();
  ASSERT_EQ(net.AddArc(a, b, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.AddArc(b, a, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.AddArc(a, b, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(LoggedCount(), 0u);
  ASSERT_EQ(net.AddArc(b, c, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.AddArc(c, a, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.AddArc(a, a, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.AddArc(a, 99, 0), QDN_OUT_OF_RANGE);
  ASSERT_EQ(net.AddArc(a, c, 0), QDN_NO_ERROR); // a shortcut is no cycle
  EXPECT_EQ(Items(net.GetParents(c, 0)), (std::vector<int>{b, a}));
  EXPECT_EQ(net.AddArc(a, a, 1), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.AddArc(c, a, 1), QDN_NO_ERROR); // cost arcs are not cycle-tested
  EXPECT_EQ(net.GetNumberOfParents(a, 1), 1);

  // Naming an arc backwards changes nothing; a missing arc is refused.
  EXPECT_EQ(net.RemoveArc(b, a, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfChildren(a, 0), 2);
  EXPECT_EQ(net.RemoveArc(c, b, 1), QDN_OUT_OF_RANGE);
  ASSERT_EQ(net.RemoveArc(a, b, 0), QDN_NO_ERROR);
  EXPECT_EQ(Items(net.GetChildren(a, 0)), (std::vector<int>{c}));
  EXPECT_EQ(net.GetNumberOfParents(99, 0), QDN_OUT_OF_RANGE);
}

TEST(NetworkTest, DeletingANodeRemovesItsArcsAndTargetMark) {
  QDN_network net;
  const int a = net.AddNode(0, "a"), b = net.AddNode(0, "b"), c = net.AddNode(0, "c");
  ASSERT_EQ(net.AddArc(a, b, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(b, c, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(c, b, 1), QDN_NO_ERROR);
  ASSERT_EQ(net.SetTarget(b), QDN_NO_ERROR);
  EXPECT_EQ(net.SetTarget(b), QDN_OUT_OF_RANGE);
  ASSERT_EQ(net.DeleteNode(b), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfTargets(), 0);
  EXPECT_EQ(net.GetNumberOfChildren(a, 0), 0);
  EXPECT_EQ(net.GetNumberOfParents(c, 0), 0);
  EXPECT_EQ(net.GetNumberOfChildren(c, 1), 0);
  EXPECT_EQ(net.GetNumberOfNodes(), 2);
  EXPECT_EQ(net.DeleteNode(b), QDN_OUT_OF_RANGE);
}

TEST(NetworkTest, PartialOrderPutsAncestorsFirst) {
  QDN_network net;
  for (const char* id : {"n0", "n1", "n2", "n3"})
    (void)net.AddNode(0, id);
  ASSERT_EQ(net.AddArc(2, 0, 0), QDN_NO_ERROR);
  EXPECT_EQ(Items(net.PartialOrderNodes()), (std::vector<int>{2, 0, 1, 3}));
  ASSERT_EQ(net.AddArc(3, 2, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(1, 0, 0), QDN_NO_ERROR);
  // Parents are visited in list order: 0's parents are 2 (with its parent 3), then 1.
  EXPECT_EQ(Items(net.PartialOrderNodes()), (std::vector<int>{3, 2, 1, 0}));
}

TEST(NetworkTest, LongChainNeitherOverflowsTheStackNorSlowsDown) {
  constexpr int kNodes = 100000;
  QDN_network net;
  for (int i = 0; i < kNodes; ++i)
    ASSERT_EQ(net.AddNode(0, nullptr), i);
  // Node i's parent is i + 1; the arcs are added from one end, then (in a
  // second network) from the other, so each cycle search faces a long path
  // on one side.
  for (int i = 0; i + 1 < kNodes; ++i)
    ASSERT_EQ(net.AddArc(i + 1, i, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.AddArc(0, kNodes - 1, 0), QDN_OUT_OF_RANGE); // would close the chain
  QDN_network reverse;
  for (int i = 0; i < kNodes; ++i)
    ASSERT_EQ(reverse.AddNode(0, nullptr), i);
  for (int i = kNodes - 2; i >= 0; --i)
    ASSERT_EQ(reverse.AddArc(i + 1, i, 0), QDN_NO_ERROR);
  EXPECT_EQ(reverse.AddArc(0, kNodes - 1, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(reverse.AddArc(kNodes - 1, 0, 0), QDN_NO_ERROR); // a shortcut is allowed
  const QDN_intArray& order = net.PartialOrderNodes();
  ASSERT_EQ(order.GetCount(), kNodes);
  EXPECT_EQ(order.At(0), kNodes - 1);
  EXPECT_EQ(order.At(kNodes - 1), 0);
  EXPECT_EQ(net.FindNode("Node99999"), kNodes - 1);
}

TEST(NetworkTest, ReadingEmptiesTheNetworkOnlyForAKnownFormat) {
  QDN_network net;
  (void)net.AddNode(0, "keep");
  ASSERT_EQ(net.ReadFile(TempPath("x.unknown").c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.FindNode("keep"), 0);
  ASSERT_EQ(net.DeleteAllNodes(), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetId(), "Sub0");
  EXPECT_EQ(net.AddNode(0, "keep"), 0);
}

// Emptying frees the nodes in groups; the identifiers of the freed nodes are
// free again and renaming the new nodes keeps the index right.
TEST(NetworkTest, EmptyingManyNodesFreesTheirIdentifiers) {
  QDN_network net;
  auto fill = [&net] {
    for (int i = 0; i < 600; ++i) {
      std::string id = std::to_string(i);
      id.insert(0, 1, 'n');
      ASSERT_EQ(net.AddNode(QDN_CPT, id.c_str()), i);
    }
    for (int i = 1; i < 600; ++i)
      ASSERT_EQ(net.AddArc(i - 1, i, i % 7 == 0 ? 1 : 0), QDN_NO_ERROR);
    ASSERT_EQ(net.SetNodeId(599, "last"), QDN_NO_ERROR);
  };
  fill();
  ASSERT_EQ(net.DeleteAllNodes(), QDN_NO_ERROR);
  EXPECT_EQ(net.FindNode("n1"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.FindNode("last"), QDN_OUT_OF_RANGE);
  fill();
  ASSERT_EQ(net.Initialize(10, 10), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);
  EXPECT_EQ(net.FindNode("n599"), QDN_OUT_OF_RANGE);
  fill();
  EXPECT_EQ(net.FindNode("last"), 599);
  EXPECT_EQ(net.FindNode("n599"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetNumberOfParents(7, 1), 1);
}

TEST(NetworkTest, SettingsRefuseOutOfRangeValues) {
  QDN_network net;
  QDN_episParameters p;
  EXPECT_EQ(net.SetEpisParameters(p), QDN_NO_ERROR);
  p.numstates2 = p.numstates3;
  EXPECT_EQ(net.SetEpisParameters(p), QDN_OUT_OF_RANGE);
  p = QDN_episParameters{};
  p.eps3 = 1;
  EXPECT_EQ(net.SetEpisParameters(p), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.SetBeliefUpdatingAlgorithm(8), QDN_NO_ERROR);
  EXPECT_EQ(net.SetBeliefUpdatingAlgorithm(9), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.SetDecisionAlgorithm(2), QDN_OUT_OF_RANGE);
}
