// Conversions into the utility definitions (table and multi-attribute).
#include <gtest/gtest.h>

#include "core/QDN_status.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_table.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_lists.h"

namespace {

QDN_nodeDefinition& Def(QDN_network& net, int h) { return *net.GetNode(h)->GetDefinition(); }

} // namespace

TEST(UtilityConversionTest, ADecisionBecomesAUtilityWithoutItsInformationalArcs) {
  for (int type : {QDN_TABLE, QDN_MAU}) {
    SCOPED_TRACE(type);
    QDN_network net;
    const int p = net.AddNode(QDN_CPT, "p"), d = net.AddNode(QDN_LIST, "d");
    ASSERT_EQ(net.AddArc(p, d, 0), QDN_NO_ERROR);
    ASSERT_EQ(net.ChangeNodeType(d, type), QDN_NO_ERROR);
    EXPECT_EQ(net.GetNumberOfParents(d, 0), 0);
    EXPECT_EQ(Def(net, d).GetType(), type);
    EXPECT_TRUE(Def(net, d).IsReady());
  }
}

TEST(UtilityConversionTest, AMultiAttributeNodeTakesTheWeightsOfAnother) {
  QDN_network net;
  const int u1 = net.AddNode(QDN_TABLE, "u1"), u2 = net.AddNode(QDN_TABLE, "u2");
  const int x = net.AddNode(QDN_MAU, "x"), y = net.AddNode(QDN_MAU, "y");
  for (int parent : {u1, u2})
    for (int child : {x, y})
      ASSERT_EQ(net.AddArc(parent, child, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_mau&>(Def(net, x)).SetWeights(DoubleList({2, 3})), QDN_NO_ERROR);
  ASSERT_EQ(Def(net, y).CopyParameters(Def(net, x)), QDN_NO_ERROR);
  const QDN_doubleArray& weights = static_cast<QDN_mau&>(Def(net, y)).GetWeights();
  ASSERT_EQ(weights.GetCount(), 2);
  EXPECT_EQ(weights.At(0), 2);
  EXPECT_EQ(weights.At(1), 3);
}
