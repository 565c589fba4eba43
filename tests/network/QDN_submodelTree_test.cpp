#include "network/QDN_submodelTree.h"

#include <gtest/gtest.h>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

TEST(SubmodelTreeTest, MainSubmodelAndDefaultIdentifiers) {
  QDN_network net;
  QDN_submodelTree& tree = net.GetSubmodels();
  EXPECT_EQ(tree.GetFirstSubmodel(), 16384);
  EXPECT_EQ(tree.GetNextSubmodel(16384), QDN_OUT_OF_RANGE);
  EXPECT_STREQ(tree.GetSubmodel(16384)->header.GetName(), "Unnamed");
  EXPECT_EQ(tree.GetParent(16384), -8888);
  EXPECT_EQ(tree.AddSubmodel(16384, nullptr), 16385);
  EXPECT_EQ(tree.AddSubmodel(16384, nullptr), 16386);
  EXPECT_STREQ(tree.GetSubmodel(16386)->header.GetId(), "Sub2");
  EXPECT_EQ(tree.AddSubmodel(16384, "Unnamed"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(tree.GetSubmodel(1), tree.GetSubmodel(16385));
  EXPECT_EQ(tree.GetSubmodel(99), nullptr);
  ASSERT_EQ(tree.DeleteAllSubmodels(), QDN_NO_ERROR);
  EXPECT_STREQ(tree.GetSubmodel(16384)->header.GetId(), "Sub0");
  EXPECT_EQ(tree.GetSubmodel(16385), nullptr);
  EXPECT_EQ(tree.AddSubmodel(16384, nullptr), 16385);
}

TEST(SubmodelTreeTest, SetParentRefusesCycles) {
  QDN_network net;
  QDN_submodelTree& tree = net.GetSubmodels();
  const int a = tree.AddSubmodel(16384, "A");
  const int b = tree.AddSubmodel(a, "B");
  EXPECT_EQ(tree.SetParent(16384, a), QDN_OUT_OF_RANGE);
  EXPECT_EQ(tree.SetParent(a, b), QDN_OUT_OF_RANGE);
  EXPECT_EQ(tree.SetParent(a, a), QDN_OUT_OF_RANGE);
  EXPECT_EQ(tree.IsAncestor(b, 16384), 1);
  EXPECT_EQ(tree.IsAncestor(a, b), 0);
  ASSERT_EQ(tree.SetParent(b, 16384), QDN_NO_ERROR);
  QDN_intArray children;
  EXPECT_EQ(tree.GetChildren(16384, children), 2);
  EXPECT_EQ(children.At(0), a);
  EXPECT_EQ(children.At(1), b);
}

TEST(SubmodelTreeTest, NodesJoinSubmodelsByHandleOrIdentifier) {
  QDN_network net;
  const int group = net.GetSubmodels().AddSubmodel(16384, "Group");
  const int n = net.AddNode(0, "n");
  QDN_node* node = net.GetNode(n);
  EXPECT_EQ(node->GetSubmodel(), 16384);
  EXPECT_EQ(node->SetSubmodel("Nowhere"), QDN_INVALID_IDENTIFIER);
  EXPECT_STREQ(QDN_GetLastErrorText(), "ERROR: (\"Nowhere\") : Unknown Submodel");
  ASSERT_EQ(node->SetSubmodel("Group"), QDN_NO_ERROR);
  EXPECT_EQ(node->GetSubmodel(), group);
  EXPECT_EQ(node->SetSubmodel(16390), QDN_OUT_OF_RANGE);
  QDN_intArray members;
  EXPECT_EQ(net.GetSubmodels().GetNodesOfSubmodel(group, members), 1);
  // Renaming a submodel through its header keeps the look-up current.
  (void)net.GetSubmodels().GetSubmodel(group)->header.SetId("Renamed");
  EXPECT_EQ(net.GetSubmodels().FindSubmodel("Renamed"), group);
  EXPECT_EQ(net.GetSubmodels().FindSubmodel("Group"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.AddNode(0, "Group"), 1);
}

TEST(SubmodelTreeTest, DefaultScreensByType) {
  QDN_network net;
  const QDN_screenInfo& node_default = net.GetSubmodels().GetDefaultScreenInfo(18);
  EXPECT_EQ(node_default.position.x1, 76);
  EXPECT_EQ(node_default.border_thickness, 1);
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(16384)->screen.border_thickness, 3);
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(16384)->background_color, 16777215);
  net.GetSubmodels().GetDefaultSubmodelScreen().color = 42;
  const int s = net.GetSubmodels().AddSubmodel(16384, nullptr);
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(s)->screen.color, 42);
}

TEST(SubmodelTreeTest, IdentifierIndexFollowsRepeatedSetsAndRenames) {
  QDN_network net;
  QDN_submodelTree& tree = net.GetSubmodels();
  const int a = tree.AddSubmodel(16384, "a");
  const int b = tree.AddSubmodel(16384, "b");
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  // Files give a submodel its identifier at its start and again in its header.
  ASSERT_EQ(tree.GetSubmodel(a)->header.SetId("a"), QDN_NO_ERROR);
  EXPECT_EQ(tree.FindSubmodel("a"), a);
  EXPECT_EQ(tree.FindSubmodel("b"), b);
  ASSERT_EQ(tree.GetSubmodel(a)->header.SetId("c"), QDN_NO_ERROR);
  EXPECT_LT(tree.FindSubmodel("a"), 0);
  EXPECT_EQ(tree.FindSubmodel("c"), a);
  ASSERT_EQ(tree.GetSubmodel(b)->header.SetId("a"), QDN_NO_ERROR);
  EXPECT_EQ(tree.FindSubmodel("a"), b);
  EXPECT_EQ(tree.IsSubmodelIdInUse("b"), 0);
  EXPECT_EQ(tree.IsSubmodelIdInUse("c"), 1);
}
