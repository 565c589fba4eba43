#include "formats/hugin/QDN_huginFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view text) { return ReadText(net, 5, text); }

} // namespace

TEST(HuginFormatTest, NetBlockAndNodeKinds) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(net { node_size = (80.9 40.2); HR_Grid_X = "10"; strange = "x"; }
continuous node c { states = ("a" "b"); }
decision d { states = ("go" "stay"); }
utility u { }
node n { label = ""; position = (100 20); states = ("one state" "one state" "9x"); colour = "red"; }
)"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: : Continuous nodes not supported (yet)"));
  EXPECT_TRUE(LogContains("ERROR: 'strange' : Unknown Net Statement"));
  EXPECT_FALSE(LogContains("HR_Grid_X"));
  EXPECT_EQ(net.GetSubmodels().GetDefaultScreenInfo(18).position.x1, 80);
  EXPECT_EQ(net.GetSubmodels().GetDefaultScreenInfo(136).position.y1, 40);
  EXPECT_EQ(net.GetNode(net.FindNode("c"))->GetDefinition()->GetType(), QDN_CPT);
  EXPECT_EQ(net.GetNode(net.FindNode("d"))->GetDefinition()->GetType(), QDN_LIST);
  EXPECT_EQ(net.GetNode(net.FindNode("u"))->GetDefinition()->GetType(), QDN_TABLE);
  const QDN_node& n = *net.GetNode(net.FindNode("n"));
  EXPECT_STREQ(n.GetName(), "n"); // an empty label gives the identifier
  const QDN_idArray& states = *n.GetDefinition()->GetOutcomesNames();
  EXPECT_STREQ(states.At(0), "one_state");
  EXPECT_STREQ(states.At(1), "one_state2");
  EXPECT_STREQ(states.At(2), "x9x");
  EXPECT_STREQ(n.GetInfo().properties.GetValue(0), "red");
  // Positions are mirrored about the drawing's top edge (y - height / 2, at least 0).
  EXPECT_EQ(n.GetInfo().screen.position.y0, 0 - 20);
  QDN_network small;
  ASSERT_EQ(Read(small, "net { node_size = (80); }"), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: Wrong node size"));
  EXPECT_EQ(Read(small, "class c { }"), QDN_NO_ERROR);
  EXPECT_EQ(small.GetNumberOfNodes(), 0);
}

TEST(HuginFormatTest, PotentialsInAnyOrderWithNestingAndNormalizing) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(net { }
node a { states = ("y" "n"); }
node c { states = ("y" "n"); }
potential (a) { data = (2 2); }
node b { states = ("y" "n"); }
potential (b | a c) { data = (((1 3) (1 1)) ((0 0) (0.5 0.5))); }
potential (c a) { data = (1 1); }
utility u { }
potential (u | a) { data = (10 -5); }
potential (missing) { data = (1); }
)"),
            QDN_NO_ERROR);
  EXPECT_EQ(TableOf(net, "a"), (std::vector<double>{0.5, 0.5}));
  // A node block after the first potential block is still read.
  ASSERT_GE(net.FindNode("b"), 0);
  EXPECT_EQ(TableOf(net, "b"), (std::vector<double>{0.25, 0.75, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5}));
  EXPECT_TRUE(LogContains("ERROR: Undirected arcs not (yet) supported"));
  // Utilities keep their values: the normalizing pass leaves utility tables alone.
  EXPECT_EQ(TableOf(net, "u"), (std::vector<double>{10, -5}));
  EXPECT_TRUE(LogContains("ERROR: Node (\"missing\") not found"));
}

TEST(HuginFormatTest, WriterLayoutEscapingAndRefusals) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(net { }
node a { label = "say \"hi\" \\ bye"; states = ("yes" "no"); }
node b { states = ("yes" "no"); }
potential (a) { data = (0.5 0.5); }
potential (b | a) { data = ((0.1 0.9) (0.2 0.8)); }
)"),
            QDN_NO_ERROR);
  const std::string path = TempPath("written.net");
  ASSERT_EQ(net.WriteFile(path.c_str(), 5), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_NE(text.find("states = (\"yes\"  \"no\");"), std::string::npos) << text;
  EXPECT_NE(text.find("    data = ((0.10000000 0.90000000)\n        (0.20000000 0.80000000));"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    data = (0.50000000 0.50000000);"), std::string::npos);
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 5, 0), QDN_NO_ERROR);
  EXPECT_STREQ(again.GetNode(again.FindNode("a"))->GetName(), "say \"hi\" \\ bye");

  QDN_network refused;
  (void)refused.AddNode(QDN_MAU, "m");
  ClearLog();
  const std::string never = TempPath("never.net");
  EXPECT_EQ(refused.WriteFile(never.c_str(), 5), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in Hugin format"));
  QDN_network cast;
  (void)cast.AddNode(QDN_CAST, "k");
  ClearLog();
  EXPECT_EQ(cast.WriteFile(never.c_str(), 5), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: 'k' : Node type not supported by Hugin"));
  EXPECT_TRUE(ReadFileText(never).empty()); // no partial file is left
}

TEST(HuginFormatTest, WriterKeepsLineBreaksAndOnlyOriginalStateTextsThatReadBack) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(net { }
node n { label = "Tuberculosis\nor Cancer"; note = "a\tb \"q\" \\ end";
         states = ("low value" "very high" "x?"); }
node d { states = ("same text" "same text"); }
)"),
            QDN_NO_ERROR);
  QDN_node& n = *net.GetNode(net.FindNode("n"));
  EXPECT_STREQ(n.GetName(), "Tuberculosis\nor Cancer");
  // A text whose identifier does not come back from it goes out as the
  // identifier; of texts that collide only the first goes out.
  n.GetExtraDefinition()->GetOutcome(1).long_name = "very  high";
  const std::string path = TempPath("written.net");
  ASSERT_EQ(net.WriteFile(path.c_str(), 5), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_NE(text.find("label = \"Tuberculosis\\nor Cancer\";"), std::string::npos) << text;
  EXPECT_NE(text.find("note = \"a\\tb \\\"q\\\" \\\\ end\";"), std::string::npos) << text;
  EXPECT_NE(text.find("states = (\"low value\"  \"very_high\"  \"x?\");"), std::string::npos)
      << text;
  EXPECT_NE(text.find("states = (\"same text\"  \"same_text2\");"), std::string::npos) << text;
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 5, 0), QDN_NO_ERROR);
  QDN_node& back = *again.GetNode(again.FindNode("n"));
  EXPECT_STREQ(back.GetName(), "Tuberculosis\nor Cancer");
  EXPECT_STREQ(back.GetInfo().properties.GetValue(0), "a\tb \"q\" \\ end");
}

TEST(HuginFormatTest, LongStateListsBreakBetweenStatesOnly) {
  QDN_network net;
  std::string states;
  for (int i = 0; i < 12; ++i)
    states += "\"state number " + std::to_string(i) + " with blanks\" ";
  ASSERT_EQ(Read(net, "net { }\nnode n { states = (" + states + "); }\n"), QDN_NO_ERROR);
  const std::string path = TempPath("states.net");
  ASSERT_EQ(net.WriteFile(path.c_str(), 5), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  // The list is wrapped, and each line holds whole quoted states.
  const size_t from = text.find("states = ");
  const std::string list = text.substr(from, text.find(");", from) - from);
  size_t lines = 0;
  for (size_t at = 0; at != std::string::npos; ++lines) {
    const size_t end = list.find('\n', at);
    const std::string line = list.substr(at, end == std::string::npos ? end : end - at);
    EXPECT_EQ(std::count(line.begin(), line.end(), '"') % 2, 0) << line;
    at = end == std::string::npos ? end : end + 1;
  }
  EXPECT_GT(lines, 2u);
}

TEST(HuginFormatTest, MissingPotentialsAndTrailingTextAreReported) {
  QDN_network net;
  ASSERT_EQ(Read(net,
                 "net { }\nnode a { states = (\"x\" \"y\"); }\nnode b { states = (\"x\" \"y\"); }\n"
                 "potential (a) { data = (0.2 0.8); }\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 1u);
  EXPECT_TRUE(LogContains("ERROR: Node (\"b\") has no potential"));
  ASSERT_EQ(Read(net, "net { }\nnode a { states = (\"x\" \"y\"); }\npotential (a) { }\npotent"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 4) : ERROR: 'potent' : Unknown Statement; the rest of the file is "
                          "skipped"));
  ASSERT_EQ(Read(net, "class c { }"), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: 'class' : 'net' expected"));
}
