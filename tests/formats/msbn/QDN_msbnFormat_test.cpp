#include "formats/msbn/QDN_msbnFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view text) { return ReadText(net, 3, text); }

} // namespace

TEST(MsbnFormatTest, HeaderWordsNodesAndRows) {
  for (const char* word : {"belief", "diagnostic", "trouble"}) {
    SCOPED_TRACE(word);
    QDN_network net;
    ASSERT_EQ(Read(net, std::string(word) + R"( network "Net"
node a { name: "A node"; position: (1, 2); type: discrete[3] = {"x", "y"}; }
node b { type : discrete [ 2 ] = { "yes", "no" }; label: whatever; }
node d { type : discrete [ 2 ] = { "go", "stay" }; }
node u { }
probability ( a ) { 0.2, 0.8, 0.5; }
probability ( b | a ) { (1) : 0.25, 0.75, 9, 9; (0) : 0.5, 0.5; (7) : 1, 0; }
information ( d | a );
utility ( u | d ) { (0) : 3; (1) : -1; }
)"),
              QDN_NO_ERROR);
    EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetName(), "Net");
    EXPECT_TRUE(
        LogContains("ERROR: '3' : Size of list doesn't match number of outcomes. Using list size"));
    EXPECT_EQ(net.GetNode(net.FindNode("a"))->GetDefinition()->GetNumberOfOutcomes(), 2);
    EXPECT_STREQ(net.GetNode(net.FindNode("a"))->GetName(), "A node");
    EXPECT_EQ(net.GetNode(net.FindNode("a"))->GetInfo().screen.position.y0, 2);
    // Values past the last cell are dropped; invalid coordinates fail the row.
    EXPECT_EQ(TableOf(net, "a"), (std::vector<double>{0.2, 0.8}));
    EXPECT_EQ(TableOf(net, "b"), (std::vector<double>{0.5, 0.5, 0.25, 0.75}));
    EXPECT_TRUE(LogContains("ERROR: Invalid coordinates"));
    EXPECT_EQ(net.GetNode(net.FindNode("d"))->GetDefinition()->GetType(), QDN_LIST);
    EXPECT_EQ(net.GetNumberOfParents(net.FindNode("d"), 0), 1);
    EXPECT_EQ(net.GetNode(net.FindNode("u"))->GetDefinition()->GetType(), QDN_TABLE);
    EXPECT_EQ(TableOf(net, "u"), (std::vector<double>{3, -1}));
  }
}

TEST(MsbnFormatTest, WriterLayout) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(belief network "N"
node a { type : discrete [ 2 ] = { "yes", "no" }; }
node b { type : discrete [ 2 ] = { "yes", "no" }; }
probability ( a ) { 0.5, 0.5; }
probability ( b | a ) { (0) : 0.1, 0.9; (1) : 0.2, 0.8; }
)"),
            QDN_NO_ERROR);
  const std::string path = TempPath("written.dsc");
  ASSERT_EQ(net.WriteFile(path.c_str(), 3), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.rfind("belief network \"N\"\n", 0), 0u);
  EXPECT_NE(text.find("    {\n        \"yes\",\n        \"no\"\n    };"), std::string::npos)
      << text;
  EXPECT_NE(text.find("probability (b | a)\n{\n    (0) : 0.10000000, 0.90000000;\n    (1) : "
                      "0.20000000, 0.80000000;\n}"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("{\n    0.50000000, 0.50000000;\n}"), std::string::npos);
  QDN_network mau;
  (void)mau.AddNode(QDN_MAU, "m");
  ClearLog();
  EXPECT_EQ(mau.WriteFile(TempPath("never.dsc").c_str(), 3), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in Microsotf format"));
}

TEST(MsbnFormatTest, NodesWithoutTablesAreReported) {
  QDN_network net;
  ASSERT_EQ(Read(net, "belief network \"n\"\n"
                      "node a { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
                      "node d { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
                      "node b { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
                      "information (d);\n"
                      "probability (b | a)\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 2u);
  EXPECT_TRUE(LogContains("ERROR: Node (\"a\") has no table"));
  EXPECT_TRUE(LogContains("ERROR: Node (\"b\") has no table"));
}
