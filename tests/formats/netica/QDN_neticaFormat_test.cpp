#include "formats/netica/QDN_neticaFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

int Read(QDN_network& net, std::string_view text) { return ReadText(net, 2, text); }

int TypeOf(QDN_network& net, const char* id) {
  const int h = net.FindNode(id);
  return h < 0 ? h : net.GetNode(h)->GetDefinition()->GetType();
}

} // namespace

TEST(NeticaFormatTest, KindAndChanceDecideTheType) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(// ~->[DNET-1]->~
bnet net_1 { title = "T"; whenchanged = 1424616754; AutoCompile = TRUE;
visual V1 { backcolor = 255; windowposn = (1, 2, 3, 4); NodeSet x {a = 1;}; };
node only { kind = NATURE; title = "x"; comment = "y"; };
node det { kind = NATURE; discrete = TRUE; chance = DETERMIN; states = (a, b); parents = ();
  functable = (b); };
node late { states = (a, b); kind = DECISION; };
node dec { kind = DECISION; chance = DETERMIN; states = (go, stay); };
node ass { kind = ASSUME; states = (a, b); };
node u { kind = UTILITY; discrete = FALSE; parents = (dec); functable = (3, -1.5); };
node c { kind = NATURE; states = (a, b); parents = (det);
  probs = (0.1, 0.9, 0.8, 0.2);
  visual V1 { center = (10); size = (20, 30); link 1 { path = ((1, 2)); }; }; };
};)"),
            QDN_NO_ERROR);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetId(), "net_1");
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetName(), "T");
  EXPECT_EQ(*net.GetCreation().modified, "1424616754");
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(16384)->background_color, 255);
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(16384)->window_position.y1, 4);
  EXPECT_TRUE(LogContains("ERROR: 'AutoCompile' : Unknown Net Statement"));
  EXPECT_TRUE(LogContains("ERROR: 'NodeSet' : Unknown Visual Net Statement"));
  EXPECT_EQ(net.FindNode("only"), QDN_OUT_OF_RANGE); // no definition: removed silently
  EXPECT_EQ(TypeOf(net, "det"), QDN_TRUTHTABLE);
  EXPECT_EQ(TableOf(net, "det"), (std::vector<double>{0, 1}));
  EXPECT_EQ(TypeOf(net, "late"), QDN_CPT); // kind after states changes nothing
  EXPECT_EQ(TypeOf(net, "dec"), QDN_LIST);
  EXPECT_TRUE(LogContains("ERROR: nodes of type ASSUME not supported (yet)"));
  EXPECT_EQ(TypeOf(net, "ass"), QDN_CPT);
  EXPECT_EQ(TypeOf(net, "u"), QDN_TABLE);
  EXPECT_EQ(TableOf(net, "u"), (std::vector<double>{3, -1.5}));
  // A flat probs list at any depth fills the table in file order.
  EXPECT_EQ(TableOf(net, "c"), (std::vector<double>{0.1, 0.9, 0.8, 0.2}));
  EXPECT_TRUE(LogContains("ERROR: Wrong Center Coordinates"));
  EXPECT_EQ(net.GetNode(net.FindNode("c"))->GetInfo().screen.position.y1, 30);
}

TEST(NeticaFormatTest, RowsMissingTheirLastStateAreCompleted) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(bnet n {
node a { kind = NATURE; states = (x, y, z); parents = (); probs = (0.2, 0.3); };
node b { kind = NATURE; states = (x, y); parents = (a); probs = ((0.1), (0.4), (0.25)); };
node c { kind = NATURE; states = (x, y); parents = (a); probs = ((0.1), (0.4, 0.6), (0.25)); };
};)"),
            QDN_NO_ERROR);
  EXPECT_EQ(TableOf(net, "a"), (std::vector<double>{0.2, 0.3, 0.5}));
  EXPECT_EQ(TableOf(net, "b"), (std::vector<double>{0.1, 0.9, 0.4, 0.6, 0.25, 0.75}));
  // Rows of unequal length are taken as they stand.
  EXPECT_TRUE(LogContains("Wrong number of probabilities for node [c]"));
}

TEST(NeticaFormatTest, WriterUsesFormsNeticaReads) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(bnet n {
node a { kind = NATURE; states = (x, y); parents = (); probs = (0.5, 0.5); title = "A\nB"; };
node t { kind = NATURE; chance = DETERMIN; states = (x, y); parents = (a); functable = (y, x); };
node u { kind = UTILITY; discrete = FALSE; parents = (a); functable = (1, 2); };
};)"),
            QDN_NO_ERROR);
  (void)net.AddNode(QDN_NOISY_MAX, "m");
  const std::string path = TempPath("written.dne");
  ASSERT_EQ(net.WriteFile(path.c_str(), 2), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.rfind("// ~->[DNET-1]->~\n\nbnet ", 0), 0u);
  EXPECT_NE(text.find("    probs = \n        (0.50000000, 0.50000000);"), std::string::npos)
      << text;
  EXPECT_NE(text.find("functable = \n        (y,\n        x);"), std::string::npos) << text;
  EXPECT_EQ(text.find("RESULTINGSTATES"), std::string::npos);
  EXPECT_EQ(text.find("NAMESTATES"), std::string::npos);
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 2, 0), QDN_NO_ERROR);
  EXPECT_EQ(again.GetNumberOfNodes(), 4);
  EXPECT_EQ(TableOf(again, "t"), (std::vector<double>{0, 1, 1, 0}));
  EXPECT_EQ(TypeOf(again, "m"), QDN_CPT); // noisy-MAX goes out as its expanded table
  EXPECT_STREQ(again.GetNode(again.FindNode("a"))->GetName(), "A\nB");
  QDN_network mau;
  (void)mau.AddNode(QDN_MAU, "w");
  ClearLog();
  EXPECT_EQ(mau.WriteFile(TempPath("never.dne").c_str(), 2), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in Netica format"));
}

TEST(NeticaFormatTest, LongTextsBreakWithTheLineContinuationAndReadBackExactly) {
  QDN_network net;
  std::string comment = "From Lauritzen, Steffen L. and David J. Spiegelhalter (1988)\n\"Local "
                        "computations\"\tin J. Royal Statistics Society B, 50(2), 157-194. ";
  comment += std::string(90, 'w') + " and \xe9t\xe9 after a word longer than a line.";
  ASSERT_EQ(Read(net, "bnet n { node a { states = (x, y); probs = (0.5, 0.5); }; };"),
            QDN_NO_ERROR);
  QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  (void)header.SetComment(comment.c_str());
  (void)net.GetNode(net.FindNode("a"))->GetInfo().header.SetName(comment.c_str());
  const std::string first = TempPath("first.dne"), second = TempPath("second.dne");
  ASSERT_EQ(net.WriteFile(first.c_str(), 2), QDN_NO_ERROR);
  const std::string text = ReadFileText(first);
  EXPECT_NE(text.find(" \\\n"), std::string::npos) << text; // Netica's continuation
  QDN_network again;
  ASSERT_EQ(again.ReadFile(first.c_str(), 2, 0), QDN_NO_ERROR);
  EXPECT_STREQ(again.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetComment(),
               comment.c_str());
  EXPECT_STREQ(again.GetNode(again.FindNode("a"))->GetName(), comment.c_str());
  // Saving what was read gives the same file: nothing accumulates.
  ASSERT_EQ(again.WriteFile(second.c_str(), 2), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(second), text);
}

TEST(NeticaFormatTest, CastNodesGoOutAsTheirTablesAndEquationNodesAreRefused) {
  QDN_network net;
  const std::string samples = std::string(CALLBRIMA_SOURCE_DIR) + "/fuzz/corpus/native/";
  ASSERT_EQ(net.ReadFile((samples + "rich.qdn").c_str(), 4, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.DeleteNode(net.FindNode("m")), QDN_NO_ERROR); // a MAU node: refused
  const std::string path = TempPath("cast.dne");
  ASSERT_EQ(net.WriteFile(path.c_str(), 2), QDN_NO_ERROR);
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 2, 0), QDN_NO_ERROR);
  const QDN_Dmatrix& cast =
      *net.GetNode(net.FindNode("c1"))->GetDefinition()->GetProbabilityTable();
  EXPECT_EQ(TableOf(again, "c1"),
            std::vector<double>(cast.GetItems().Data(), cast.GetItems().Data() + cast.GetSize()));
  // Equations have no Netica form the reader takes.
  QDN_network equations;
  ASSERT_EQ(equations.ReadFile((samples + "equations.qdn").c_str(), 4, 0), QDN_NO_ERROR);
  ClearLog();
  EXPECT_EQ(equations.WriteFile(TempPath("equations.dne").c_str(), 2), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in Netica format"));
}

TEST(NeticaFormatTest, DiscretizedContinuousNodesKeepTheirIntervals) {
  const char* text = R"(bnet n {
node p { kind = NATURE; discrete = TRUE; states = (lo, hi); parents = (); probs = (0.4, 0.6); };
node f {
  kind = NATURE; discrete = FALSE; chance = CHANCE;
  levels = (-5, 10.5, 100);
  parents = (p);
  probs = ((0.1, 0.9), (0.3, 0.7));
};
node g { kind = NATURE; discrete = FALSE; chance = CHANCE;
  states = (low, high); levels = (0, 1, 2); parents = (); probs = (0.5, 0.5); };
node k { kind = CONSTANT; discrete = FALSE; levels = (1, 1); parents = (p); value = 1; };
node v { kind = NATURE; discrete = TRUE; states = (a, b); levels = (0, 1); parents = ();
  probs = (0.2, 0.8); };
};
)";
  QDN_network net;
  ASSERT_EQ(Read(net, text), QDN_NO_ERROR);
  // The constant is skipped with a message; nothing else is reported.
  EXPECT_EQ(net.FindNode("k"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(LoggedCount(), 1u);
  EXPECT_TRUE(LogContains("(line 11) : ERROR: Node [k] is a constant, not a random variable"));
  ASSERT_EQ(net.GetNumberOfNodes(), 4);
  QDN_node& f = *net.GetNode(net.FindNode("f"));
  const QDN_idArray& states = *f.GetDefinition()->GetOutcomesNames();
  ASSERT_EQ(states.GetCount(), 2);
  EXPECT_STREQ(states.At(0), "from_m5_to_10_5");
  EXPECT_STREQ(states.At(1), "from_10_5_to_100");
  EXPECT_EQ(f.GetExtraDefinition()->GetOutcome(0).long_name, "-5 to 10.5");
  EXPECT_EQ(f.GetExtraDefinition()->GetOutcome(1).long_name, "10.5 to 100");
  EXPECT_EQ(TableOf(net, "f"), (std::vector<double>{0.1, 0.9, 0.3, 0.7}));
  EXPECT_EQ(net.GetParents(net.FindNode("f"), 0).GetCount(), 1);
  // Named states keep their names; a discrete node's levels are its values.
  QDN_node& g = *net.GetNode(net.FindNode("g"));
  EXPECT_STREQ(g.GetDefinition()->GetOutcomesNames()->At(1), "high");
  EXPECT_EQ(g.GetExtraDefinition()->GetOutcome(1).long_name, "1 to 2");
  EXPECT_LT(net.GetNode(net.FindNode("v"))->GetInfo().properties.FindProperty("NETICA_LEVELS"), 0);

  // Written back, the nodes keep their levels and read back the same.
  const std::string path = TempPath("levels.dne");
  ASSERT_EQ(net.WriteFile(path.c_str(), 2), QDN_NO_ERROR);
  const std::string written = ReadFileText(path);
  EXPECT_NE(written.find("levels = (-5, 10.5, 100);"), std::string::npos) << written;
  EXPECT_NE(written.find("levels = (0, 1, 2);"), std::string::npos) << written;
  QDN_network again;
  ClearLog();
  ASSERT_EQ(again.ReadFile(path.c_str(), 2, 0), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  EXPECT_EQ(DescribeNetwork(again), DescribeNetwork(net));
}
