#include "formats/ergo/QDN_ergoFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view text) {
  ClearLog();
  return net.ReadFile(WriteTempFile("read.erg", text).c_str(), 1, 0);
}

} // namespace

TEST(ErgoFormatTest, ReadsEverySection) {
  QDN_network net;
  EXPECT_EQ(Read(net, "0"), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);
  EXPECT_EQ(Read(net, "2\n\n2 0\n\n0\n1 1\n"), QDN_OUT_OF_RANGE); // no section
  EXPECT_EQ(net.GetNumberOfNodes(), 2);
  EXPECT_TRUE(LogContains("ERROR: '0' : Invalid number of states"));
  ASSERT_EQ(Read(net, R"(3

2	3	2

0
1	1
2	1	2

/*	Prob	*/
2
0.3	0.7
6
0.1	0.2	0.7	0.3	0.3	0.4
12
1 0 1 0 1 0 0 1 0 1 0 1

/*	Names	*/
rain	sprinkler-x	sprinkler_x

/*	Labels	*/
yes	no
low	mid	1high
on	off

/*	Centers	*/
10	20
30	40
50
)"),
            QDN_NO_ERROR);
  const int rain = net.FindNode("rain");
  const int sprinkler = net.FindNode("sprinkler_x");
  ASSERT_GE(rain, 0);
  ASSERT_GE(sprinkler, 0);
  EXPECT_STREQ(net.GetNode(sprinkler)->GetName(), "sprinkler-x");
  EXPECT_TRUE(LogContains("ERROR: [sprinkler_x] Duplicated Identifier"));
  EXPECT_EQ(net.GetNode(sprinkler)->GetDefinition()->GetTable()->At(5), 0.4);
  EXPECT_STREQ(net.GetNode(sprinkler)->GetDefinition()->GetOutcomesNames()->At(2), "x1high");
  EXPECT_EQ(net.GetNode(sprinkler)->GetInfo().screen.position.y0, 40);
  EXPECT_EQ(Read(net, "1\n2\n0\n/* Rubbish */ /* P */ 2 0.5 0.5"), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: (\"Rubbish\") : Unknown Section"));
}

TEST(ErgoFormatTest, WritesAndReadsBack) {
  QDN_network net;
  const int a = net.AddNode(QDN_CPT, "a");
  const int b = net.AddNode(QDN_TRUTHTABLE, "b");
  ASSERT_EQ(net.AddArc(a, b, 0), QDN_NO_ERROR);
  net.GetNode(a)->GetDefinition()->GetTable()->At(0) = 1e-9;
  net.GetNode(a)->GetDefinition()->GetTable()->At(1) = 1 - 1e-9;
  const std::string path = TempPath("written.erg");
  ASSERT_EQ(net.WriteFile(path.c_str(), 1), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.rfind("2\n\n2\t2\t\n\n0\n1\t1\n\n\n\n/*\tProbabilities\t*/\n2\n", 0), 0u) << text;
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 1, 0), QDN_NO_ERROR);
  EXPECT_EQ(again.GetNode(again.FindNode("a"))->GetDefinition()->GetTable()->At(0), 1e-9);
  EXPECT_EQ(again.GetNumberOfParents(again.FindNode("b"), 0), 1);
  (void)net.AddNode(QDN_LIST, "d");
  ClearLog();
  EXPECT_EQ(net.WriteFile(TempPath("never.erg").c_str(), 1), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in Ergo format"));
}
