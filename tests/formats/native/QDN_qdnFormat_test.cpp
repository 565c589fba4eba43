#include "formats/native/QDN_qdnFormat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_lists.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view text) {
  return net.ReadFile(WriteTempFile("read.qdn", text).c_str(), 4, 0);
}

// A network using every definition type and every piece of descriptive data
// the native text format carries.
void BuildRichNetwork(QDN_network& net) {
  QDN_submodelTree& tree = net.GetSubmodels();
  QDN_submodel& root = *tree.GetSubmodel(16384);
  (void)root.header.SetId("Rich");
  (void)root.header.SetName("A \"rich\" network\twith\\odd text and a name long enough to be "
                            "wrapped over several lines of the written file, twice over.");
  root.screen_comments.push_back({"Note on the main view", {10, 20, 300, 40}});
  net.GetCreation().creator = "tests";
  net.SetSampleCount(5000);
  net.SetFaultNameFormat(2);
  (void)net.GetProperties().AddProperty("owner", "lab");
  (void)net.GetDocumentation().Add("Manual", "http://example.org/m");
  const int outer = tree.AddSubmodel(16384, "Outer");
  const int inner = tree.AddSubmodel(outer, "Inner");
  tree.GetSubmodel(inner)->screen_comments.push_back({"inner box", {1, 2, 3, 4}});
  tree.GetSubmodel(inner)->background_color = 123;

  const int a = net.AddNode(QDN_CPT, "a");
  auto& cpt = *static_cast<QDN_cpt*>(net.GetNode(a)->GetDefinition());
  (void)cpt.SetNumberOfOutcomes(TextList({"low", "mid", "high"}));
  (void)cpt.SetProbabilities(DoubleList({1e-9, 9.999424e-4, 1 - 1e-9 - 9.999424e-4}));
  QDN_node& na = *net.GetNode(a);
  (void)na.GetInfo().header.SetComment("");
  na.GetInfo().screen.position = {100, 50, 80, 30};
  na.GetInfo().screen.arc_flags = 2;
  (void)na.SetSubmodel(inner);
  (void)na.GetInfo().properties.AddProperty("unit", "kg");
  (void)na.GetInfo().documentation.Add("About a", "a.html");
  QDN_extraDefinition& extra = *na.GetExtraDefinition();
  extra.troubleType = 0;
  extra.ranked = true;
  extra.show_as = 3;
  extra.question = "Is it high?";
  QDN_intArray faults;
  (void)faults.Append(2);
  (void)extra.SetFaultStateIndices(faults);
  (void)extra.SetDefaultState(1);
  extra.GetOutcome(2).fault_name = "Too high";
  (void)extra.SetFaultLabel(2, "HIGH");
  extra.GetOutcome(0).comment = "the low state";
  extra.GetOutcome(1).repair_info = "nothing to do";
  (void)extra.GetOutcome(2).Documentation().Add("Why", "why.html");
  (void)net.SetTarget(a);

  const int b = net.AddNode(QDN_NOISY_MAX, "b");
  (void)net.AddArc(a, b, 0);
  auto& noisy = *static_cast<QDN_noisyMAX*>(net.GetNode(b)->GetDefinition());
  QDN_intArray order;
  for (int v : {2, 0, 1})
    (void)order.Append(v);
  (void)noisy.SetParentOutcomeStrengths(0, order);
  (void)noisy.SetDefinition(DoubleList({0.7, 0.3, 0.4, 0.6, 0, 1, 0.05, 0.95}));

  const int t = net.AddNode(QDN_TRUTHTABLE, "t");
  (void)net.AddArc(a, t, 0);
  QDN_intArray states;
  for (int v : {1, 0, 1})
    (void)states.Append(v);
  (void)static_cast<QDN_truthTable*>(net.GetNode(t)->GetDefinition())->SetResultingStates(states);

  const int d = net.AddNode(QDN_LIST, "d");
  (void)net.GetNode(d)->GetDefinition()->SetNumberOfOutcomes(TextList({"go", "stay", "wait"}));
  const int u = net.AddNode(QDN_TABLE, "u");
  (void)net.AddArc(d, u, 0);
  (void)static_cast<QDN_table*>(net.GetNode(u)->GetDefinition())
      ->SetUtilities(DoubleList({10, -5.5, 0.125}));
  const int u2 = net.AddNode(QDN_TABLE, "u2");
  const int m = net.AddNode(QDN_MAU, "m");
  (void)net.AddArc(u, m, 0);
  (void)net.AddArc(u2, m, 0);
  (void)static_cast<QDN_mau*>(net.GetNode(m)->GetDefinition())
      ->SetWeights(DoubleList({0.25, 0.75}));

  const int c1 = net.AddNode(QDN_CAST, "c1");
  const int c2 = net.AddNode(QDN_CAST, "c2");
  (void)net.AddArc(c1, c2, 0);
  auto& cast = *static_cast<QDN_cast*>(net.GetNode(c2)->GetDefinition());
  (void)cast.SetPositiveWeights(DoubleList({0.5}));
  (void)cast.SetNegativeWeights(DoubleList({-0.25}));
  (void)cast.SetBaseline(0.3);

  // Observation costs of b over its cost parent a, one not applicable.
  (void)net.AddArc(a, b, 1);
  const double costs[] = {1.5, kNotApplicableValue, 2.25};
  (void)net.GetNode(b)->GetCost().SetCosts(costs, 3);
  const double single = 7;
  (void)net.GetNode(t)->GetCost().SetCosts(&single, 1);
}

} // namespace

TEST(QdnFormatTest, RoundTripKeepsEverythingAndWritesIdenticalFiles) {
  QDN_network original;
  BuildRichNetwork(original);
  const std::string first = TempPath("rich1.qdn"), second = TempPath("rich2.qdn");
  ASSERT_EQ(original.WriteFile(first.c_str(), 0), QDN_NO_ERROR);
  QDN_network copy;
  ClearLog();
  ASSERT_EQ(copy.ReadFile(first.c_str(), 0, 0), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u) << QDN_GetErrorLog().GetEntry(0).message;
  EXPECT_EQ(DescribeNetwork(copy), DescribeNetwork(original));
  ASSERT_EQ(copy.WriteFile(second.c_str(), 4), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(first), ReadFileText(second));
}

TEST(QdnFormatTest, LayoutOfBlocksAndScreens) {
  QDN_network net;
  const int a = net.AddNode(QDN_CPT, "a");
  net.GetNode(a)->GetInfo().screen.arc_flags = 1;
  const std::string path = TempPath("layout.qdn");
  ASSERT_EQ(net.WriteFile(path.c_str(), 4), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.rfind("net Unnamed\n{\n HEADER = \n  {\n   ID = Unnamed;\n", 0), 0u) << text;
  EXPECT_NE(text.find("    SHOWOUTARCS = FALSE;"), std::string::npos);
  EXPECT_EQ(text.find("SHOWINARCS"), std::string::npos);
  EXPECT_NE(text.find("PROBABILITIES = (0.50000000, 0.50000000);"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 3), "};\n");
}

TEST(QdnFormatTest, ReaderRecoversStatementByStatement) {
  QDN_network net;
  ClearLog();
  ASSERT_EQ(Read(net, R"(net My_net {
  SHOWAS = 7;
  node a { TYPE = CPT; BOGUS = 3; HEADER = { NAME = "kept"; }; };
  node b { TYPE = CPT; PARENTS = (a, later); DEFINITION = { NAMESTATES = (x, y);
           PROBABILITIES = (0.1, 0.9, 0.2, 0.8); };
           EXTRA_DEFINITION = { STATECOMMENTS = ("one"); SHOWAS = 4; }; };
  node later { TYPE = CPT; };
  node c { TYPE = WHATEVER; };
};)"),
            QDN_NO_ERROR);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetId(), "My_net");
  EXPECT_EQ(net.GetFaultNameFormat(), 0);
  EXPECT_TRUE(LogContains("(line 3) : ERROR: 'BOGUS' : Unknown Node Statement"));
  EXPECT_STREQ(net.GetNode(net.FindNode("a"))->GetName(), "kept");
  EXPECT_TRUE(LogContains("ERROR: Couldn't add arc from node [later] to node [b]"));
  EXPECT_TRUE(LogContains("Wrong number of state comments"));
  const int b = net.FindNode("b");
  ASSERT_GE(b, 0);
  EXPECT_EQ(net.GetNumberOfParents(b, 0), 1);
  EXPECT_EQ(net.GetNode(b)->GetExtraDefinition()->show_as, 4);
  // A node whose type is unknown cannot be made ready and is removed after the read.
  EXPECT_EQ(net.FindNode("c"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetNumberOfNodes(), 3);
}

TEST(QdnFormatTest, FrameErrorsAndEmptyFiles) {
  QDN_network net;
  EXPECT_EQ(Read(net, "net { };"), QDN_SYNTAX_ERROR);
  EXPECT_EQ(Read(net, "net a ;"), QDN_SYNTAX_ERROR);
  EXPECT_EQ(Read(net, ""), QDN_END_OF_INPUT);
  EXPECT_EQ(Read(net, "something else entirely"), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);
  ASSERT_EQ(Read(net, "net empty { };"), QDN_NO_ERROR);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetId(), "empty");
  EXPECT_EQ(net.ReadFile(TempPath("missing.qdn").c_str(), 4, 0), QDN_FILE_IO_FAILED);
}

TEST(QdnFormatTest, LegacyNoisyAndReversesOutcomes) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(net n {
  node p { TYPE = CPT; };
  node x { TYPE = NOISY_AND; PARENTS = (p);
           DEFINITION = { NAMESTATES = (lo, hi); PROBABILITIES = (0.2, 0.8, 0.9, 0.1); }; };
};)"),
            QDN_NO_ERROR);
  const auto& noisy = *static_cast<QDN_noisyMAX*>(net.GetNode(net.FindNode("x"))->GetDefinition());
  EXPECT_STREQ(noisy.GetOutcomesNames()->At(0), "hi");
  EXPECT_EQ(noisy.GetStrengths(0).At(0), 1);
  QDN_doubleArray inclusive;
  ASSERT_EQ(noisy.GetParameters(inclusive), QDN_NO_ERROR);
  EXPECT_NEAR(inclusive.At(0), 0.8, 1e-12);
  EXPECT_NEAR(inclusive.At(2), 0.1, 1e-12);
}

TEST(QdnFormatTest, StatementsItCannotTakeAreReportedWithTheirLine) {
  QDN_network net;
  // A reserved word in a number list ends the list: the table stays as it was.
  ASSERT_EQ(Read(net, "net n {\n node a { TYPE = CPT;\n DEFINITION = { NAMESTATES = (x, y);\n"
                      " PROBABILITIES = (0.5, UNDEF.); }; };\n};"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 4) : ERROR: 'UNDEF' : Real Number expected")) << LoggedCount();
  // A missing ";" loses the next statement, with a message.
  ASSERT_EQ(Read(net, "net n {\n node b { TYPE = CPT\n HEADER = { NAME = \"bee\"; };\n };\n};"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 3) : ERROR: 'HEADER' : ';' expected"));
  const char* name = net.GetNode(net.FindNode("b"))->GetName();
  EXPECT_TRUE(!name || std::string(name) != "bee");
  // A file that is not a native text file reads nothing and says so.
  ASSERT_EQ(Read(net, "bnet n { };"), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 1) : ERROR: 'bnet' : 'net' expected"));
}

// Statement keywords are matched without regard to case; a word that looks
// like a keyword (same length and outer letters) is no keyword; a statement
// tried after one that gave up is still read.
TEST(QdnFormatTest, KeywordsAreFoundWhateverTheirCase) {
  QDN_network net;
  ClearLog();
  ASSERT_EQ(Read(net, R"(net n {
  node a { type = CPT; Header = { name = "lower"; cOMMENT = "mixed"; };
           screen = { position = { center_x = 5; HEIGHT = 7; }; };
           TARGIT = TRUE; TIPE = CPT;
           definition = { NAMECHOICES = (u, v); probabilities = (0.25, 0.75); }; };
};)"),
            QDN_NO_ERROR);
  const QDN_node& a = *net.GetNode(net.FindNode("a"));
  EXPECT_STREQ(a.GetName(), "lower");
  EXPECT_STREQ(a.GetInfo().header.GetComment(), "mixed");
  EXPECT_EQ(a.GetInfo().screen.position.x0, 5);
  EXPECT_EQ(a.GetInfo().screen.position.y1, 7);
  EXPECT_TRUE(LogContains("(line 4) : ERROR: 'TARGIT' : Unknown Node Statement"));
  EXPECT_TRUE(LogContains("(line 4) : ERROR: 'TIPE' : Unknown Node Statement"));
  ASSERT_NE(a.GetDefinition(), nullptr);
  EXPECT_EQ(a.GetDefinition()->GetNumberOfOutcomes(), 2);
  EXPECT_EQ(net.IsTarget(net.FindNode("a")), 0);
}
