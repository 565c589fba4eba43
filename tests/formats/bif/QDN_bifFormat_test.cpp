#include "formats/bif/QDN_bifFormat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view text) { return ReadText(net, 9, text); }

std::vector<std::string> Parents(QDN_network& net, const char* id) {
  std::vector<std::string> out;
  const QDN_intArray& parents = net.GetParents(net.FindNode(id), 0);
  for (int i = 0; i < parents.GetCount(); ++i)
    out.emplace_back(net.GetNode(parents.At(i))->GetId());
  return out;
}

std::string Label(QDN_network& net, const char* id, int outcome) {
  const QDN_extraDefinition* extra = net.GetNode(net.FindNode(id))->GetExtraDefinition();
  const auto& label = extra->GetOutcome(outcome).long_name;
  return label ? std::string(*label) : "(none)";
}

} // namespace

TEST(BifFormatTest, CommonFormWithRowsDefaultsAndComments) {
  QDN_network net;
  ASSERT_EQ(Read(net, "/* a block\n comment */ network unknown {\n}\n"
                      "variable a { type discrete [ 2 ] { yes, no }; }\n"
                      "variable b {\r\n  type discrete [ 3 ] { lo, mid, hi };\r\n}\r\n"
                      "variable c { // trailing comment\n  type discrete [ 2 ] { t, f };\n}\n"
                      "probability ( a ) { table 0.25, 7.5E-1; }\n"
                      "probability ( b ) { table 1e-300, 0.5, 0.5; }\n"
                      "probability ( c | a, b ) {\n"
                      "  default 0.5, 0.5;\n"
                      "  (no, hi) 0.9, 0.1;\n"
                      "  (yes, lo) 0.2, 0.8;\n"
                      "}\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u) << QDN_GetErrorLog().GetEntry(0).message;
  EXPECT_EQ(TableOf(net, "a"), (std::vector<double>{0.25, 0.75}));
  EXPECT_EQ(TableOf(net, "b"), (std::vector<double>{1e-300, 0.5, 0.5}));
  EXPECT_EQ(Parents(net, "c"), (std::vector<std::string>{"a", "b"}));
  // The last parent runs fastest; rows override the default wherever they come.
  EXPECT_EQ(TableOf(net, "c"),
            (std::vector<double>{0.2, 0.8, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.9, 0.1}));
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetId(),
               "unknown");
}

TEST(BifFormatTest, OlderFormQuotedNamesAndFlatTablesWithTheChildSlowest) {
  QDN_network net;
  ASSERT_EQ(Read(net, "network \"Two nodes\" { //2 variables\n}\n"
                      "variable  \"Visit\" { //2 values\n"
                      "\ttype discrete[2] {  \"Yes\"  \"No\" };\n"
                      "\tproperty \"position = (138, 187)\" ;\n}\n"
                      "variable \"Tb\" {\n\ttype discrete[2] { \"Present\" \"Absent\" };\n}\n"
                      "probability ( \"Visit\" ) {\n\ttable 0.01 0.99 ;\n}\n"
                      "probability ( \"Tb\" \"Visit\" ) {\n\ttable 0.05 0.01 0.95 0.99 ;\n}\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  EXPECT_EQ(Parents(net, "Tb"), (std::vector<std::string>{"Visit"}));
  // P(Present | Yes) = 0.05, P(Present | No) = 0.01.
  EXPECT_EQ(TableOf(net, "Tb"), (std::vector<double>{0.05, 0.95, 0.01, 0.99}));
  const QDN_node& visit = *net.GetNode(net.FindNode("Visit"));
  EXPECT_EQ(visit.GetInfo().screen.position.x0, 138);
  EXPECT_EQ(visit.GetInfo().screen.position.y0, 187);
  const QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  EXPECT_STREQ(header.GetName(), "Two nodes");
  EXPECT_STREQ(header.GetId(), "Two_nodes");
}

TEST(BifFormatTest, NamesThatAreNotIdentifiersAreRepairedAndKept) {
  QDN_network net;
  ASSERT_EQ(Read(net, "network Pig-Network {\n  property software aGrUM\n}\n"
                      "variable bowel-problem {\n  property label = \"Bowel problem\"\n"
                      "  type discrete[3] {\n    <5, // first\n    5-12,\n    0.5 // last\n  };\n"
                      "}\n"
                      "variable \"two words\" { type discrete [2] { \"a b\", a_b }; }\n"
                      "probability ( bowel-problem ) { table 0.2, 0.3, 0.5; }\n"
                      "probability ( \"two words\" | bowel-problem ) {\n"
                      "  ( <5 ) 0.1, 0.9;\n  ( x5_12 ) 0.2, 0.8;\n  ( \"0.5\" ) 0.3, 0.7;\n}\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u) << QDN_GetErrorLog().GetEntry(0).message;
  const int bowel = net.FindNode("bowel_problem");
  ASSERT_GE(bowel, 0);
  EXPECT_STREQ(net.GetNode(bowel)->GetName(), "Bowel problem");
  EXPECT_EQ(OutcomesOf(net, "bowel_problem"), (std::vector<std::string>{"x_5", "x5_12", "x0_5"}));
  EXPECT_EQ(Label(net, "bowel_problem", 0), "<5");
  EXPECT_EQ(Label(net, "bowel_problem", 2), "0.5");
  ASSERT_GE(net.FindNode("two_words"), 0);
  EXPECT_STREQ(net.GetNode(net.FindNode("two_words"))->GetName(), "two words");
  // Rows name states by their texts or by the repaired identifiers.
  EXPECT_EQ(TableOf(net, "two_words"), (std::vector<double>{0.1, 0.9, 0.2, 0.8, 0.3, 0.7}));
  const QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  EXPECT_STREQ(header.GetId(), "Pig_Network");
  EXPECT_EQ(net.GetProperties().FindProperty("software"), 0);
}

TEST(BifFormatTest, BadInputIsReportedWithItsLine) {
  const std::string variables = "variable a { type discrete [2] { y, n }; }\n"  // line 1
                                "variable b { type discrete [2] { y, n }; }\n"; // line 2
  struct Case {
    std::string body;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"probability ( a ) { table 0.5, 0.5; }\nprobability ( b | a ) {\n (y) 0.1, 0.9;\n"
       " (maybe) 0.1, 0.9;\n}\n",
       0, "(line 6) : ERROR: Unknown state (\"maybe\") of variable (\"a\")"},
      {"probability ( a ) {\n table 0.5, 0.2, 0.3;\n}\n", 0,
       "(line 4) : ERROR: Variable (\"a\") was expecting 2 numbers but 3 were read"},
      {"probability ( a ) { table 0.5, 0.5; }\nprobability ( b | a ) {\n (y) 0.1;\n}\n", 0,
       "(line 5) : ERROR: Variable (\"b\") was expecting 2 numbers but 1 were read"},
      {"variable a { type discrete [2] { p, q }; }\n", 0,
       "(line 3) : ERROR: Variable (\"a\") declared twice"},
      {"probability ( zz ) { table 0.5, 0.5; }\n", 0,
       "(line 3) : ERROR: Probability block for unknown variable (\"zz\")"},
      {"probability ( a | b ) { (y) 0.5, 0.5; (n) 0.5, 0.5; }\n"
       "probability ( b | a ) { (y) 0.5, 0.5; (n) 0.5, 0.5; }\n",
       0, "(line 4) : ERROR: Couldn't add arc from node (\"a\") to node (\"b\"): it would close"},
      {"variable c { type discrete [ 1000000000 ] { y, n }; }\n", 0,
       "(line 3) : ERROR: '1000000000' : Invalid number of states"},
      {"variable c { type discrete [ 3 ] { y, n }; }\n", 0,
       "(line 3) : ERROR: Variable (\"c\") declares 3 states but lists 2"},
      {"probability ( b | a ) { (y) 0.5, zero; }\n", 0, "'zero' : Real Number expected"},
      {"probability ( b | a ) { (y) 0.5, 0.5; }\n", 0,
       "ERROR: Variable (\"b\") has no probabilities for 1 of 2 parent configurations"},
      {"probability ( b | a, a ) { (y) 0.5, 0.5; }\n", 0,
       "ERROR: Parent (\"a\") listed twice for variable (\"b\")"},
      {"potential ( a ) { data = (0.5 0.5); }\n", QDN_SYNTAX_ERROR,
       "(line 3) : ERROR: 'potential' : Unknown statement"},
      {"variable c { type discrete [2] { y, n }\n", QDN_SYNTAX_ERROR,
       "ERROR: End of File : Expecting '}'"},
      {"/* never closed\n", 0, "(line 3) : ERROR: UNEXPECTED END OF FILE. UNMATCHED '/*'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    QDN_network net;
    EXPECT_EQ(Read(net, variables + c.body), c.status);
    EXPECT_TRUE(LogContains(c.message))
        << (LoggedCount() ? QDN_GetErrorLog().GetEntry(0).message : "nothing logged");
  }
}

TEST(BifFormatTest, TablesBeyondTheCellLimitAreRefusedBeforeAnyArc) {
  std::string text;
  std::string parents;
  for (int i = 0; i < 30; ++i) {
    text += "variable p" + std::to_string(i) + " { type discrete [2] { y, n }; }\n";
    parents += (i ? ", p" : "p") + std::to_string(i);
  }
  text += "variable c { type discrete [2] { y, n }; }\n";
  text += "probability ( c | " + parents + " ) { default 0.5, 0.5; }\n";
  QDN_network net;
  ASSERT_EQ(Read(net, text), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: The table of variable (\"c\") would have more than"));
  EXPECT_EQ(net.GetNumberOfParents(net.FindNode("c"), 0), 0);
}

TEST(BifFormatTest, WriterGivesTheCommonFormWithExactNumbersAndKeptTexts) {
  QDN_network net;
  ASSERT_EQ(Read(net,
                 "network n {}\n"
                 "variable \"a-1\" { type discrete [2] { \"<5\", big }; }\n"
                 "variable b { type discrete [2] { y, n }; property note = \"x \\\"q\\\"\"; }\n"
                 "probability ( \"a-1\" ) { table 0.1, 0.9; }\n"
                 "probability ( b | \"a-1\" ) { (\"<5\") 0.3333333333333333, 0.6666666666666667;"
                 " (big) 1e-320, 1; }\n"),
            QDN_NO_ERROR);
  const std::string path = TempPath("written.bif");
  ASSERT_EQ(net.WriteFile(path.c_str(), 9), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(path), "network n {\n}\n"
                                "variable a_1 {\n"
                                "  type discrete [ 2 ] { x_5, big };\n"
                                "  property label = \"a-1\";\n"
                                "  property state_label x_5 = \"<5\";\n"
                                "}\n"
                                "variable b {\n"
                                "  type discrete [ 2 ] { y, n };\n"
                                "  property note = \"x \\\"q\\\"\";\n"
                                "}\n"
                                "probability ( a_1 ) {\n"
                                "  table 0.1, 0.9;\n"
                                "}\n"
                                "probability ( b | a_1 ) {\n"
                                "  (x_5) 0.3333333333333333, 0.6666666666666667;\n"
                                "  (big) 1e-320, 1;\n"
                                "}\n");
  QDN_network again;
  ASSERT_EQ(Read(again, ReadFileText(path)), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  EXPECT_EQ(DescribeNetwork(again), DescribeNetwork(net));
}

TEST(BifFormatTest, DecisionUtilityAndCastNodesRefuseTheWriteAndLeaveNoFile) {
  for (int type : {QDN_LIST, QDN_TABLE, QDN_CAST}) {
    QDN_network net;
    ASSERT_GE(net.AddNode(QDN_CPT, "chance"), 0);
    ASSERT_GE(net.AddNode(type, "act"), 0);
    const std::string path = TempPath("refused.bif");
    std::filesystem::remove(path);
    ClearLog();
    EXPECT_EQ(net.WriteFile(path.c_str(), 9), QDN_OUT_OF_RANGE);
    EXPECT_TRUE(LogContains(type == QDN_LIST    ? "Node (\"act\") is a decision node"
                            : type == QDN_TABLE ? "Node (\"act\") is a utility node"
                                                : "Node (\"act\") has no probability table"));
    EXPECT_FALSE(std::filesystem::exists(path));
    // An existing file stays as it was.
    const std::string old = WriteTempFile("old.bif", "old");
    EXPECT_LT(net.WriteFile(old.c_str(), 9), 0);
    EXPECT_EQ(ReadFileText(old), "old");
  }
}

TEST(BifFormatTest, ARefusedVariableKeepsItsBlockFromTheNodeThatTakesItsHandle) {
  QDN_network net;
  ASSERT_EQ(Read(net, "variable c { }\n"
                      "variable d { type discrete [2] { y, n }; }\n"
                      "probability ( c ) { table 0.1, 0.9; }\n"
                      "probability ( d ) { table 0.3, 0.7; }\n"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 1) : ERROR: Variable (\"c\") has no type"));
  EXPECT_EQ(LoggedCount(), 1u);
  EXPECT_EQ(net.GetNumberOfNodes(), 1);
  EXPECT_EQ(TableOf(net, "d"), (std::vector<double>{0.3, 0.7}));
}

TEST(BifFormatTest, SmallFilesCannotClaimHugeTablesThroughDefaultRows) {
  // Four parents of 64 states and a child of 8: 134 million cells from a few
  // kilobytes; the same table again is refused as well.
  std::string states;
  for (int i = 0; i < 64; ++i)
    states += (i ? ",s" : "s") + std::to_string(i);
  std::string text;
  for (int p = 0; p < 4; ++p)
    text += "variable p" + std::to_string(p) + " { type discrete [64] { " + states + " }; }\n";
  text += "variable c { type discrete [8] { a,b,c,d,e,f,g,h }; }\n"
          "variable e { type discrete [8] { a,b,c,d,e,f,g,h }; }\n"
          "probability ( c | p0, p1, p2, p3 ) { default 1,0,0,0,0,0,0,0; }\n"
          "probability ( e | p0, p1, p2 ) { default 1,0,0,0,0,0,0,0; }\n";
  QDN_network net;
  ASSERT_EQ(Read(net, text), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("(line 7) : ERROR: The table of variable (\"c\") would have 134217728 "
                          "cells, more than the file could fill"));
  EXPECT_EQ(net.GetNumberOfParents(net.FindNode("c"), 0), 0);
  // Two million cells are within reach of a default row.
  EXPECT_EQ(net.GetNumberOfParents(net.FindNode("e"), 0), 3);
  EXPECT_EQ(TableOf(net, "e").size(), 2097152u);
}

TEST(BifFormatTest, NetworkIdentifierAndNameComeBackApart) {
  struct Case {
    const char* id;
    const char* name;
  };
  for (const Case& c : {Case{"Kinds", ""}, Case{"Sub0", "unknown"}, Case{"Asia", "Asia"},
                        Case{"n", "A \"quoted\" title"}}) {
    SCOPED_TRACE(c.name);
    QDN_network net;
    QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
    ASSERT_EQ(header.SetId(c.id), QDN_NO_ERROR);
    ASSERT_EQ(header.SetName(c.name), QDN_NO_ERROR);
    const std::string path = TempPath("names.bif");
    ASSERT_EQ(net.WriteFile(path.c_str(), 9), QDN_NO_ERROR);
    QDN_network again;
    ASSERT_EQ(again.ReadFile(path.c_str(), 9, 0), QDN_NO_ERROR);
    const QDN_header& back = again.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
    EXPECT_STREQ(back.GetId(), c.id);
    EXPECT_STREQ(back.GetName(), c.name);
  }
}

TEST(BifFormatTest, FilesWithoutTheExtensionAreKnownByTheirFirstBytes) {
  const std::string path =
      WriteTempFile("model.txt", "// no network block\nvariable a { type discrete [2] { y, n }; }\n"
                                 "probability ( a ) { table 0.5, 0.5; }\n");
  QDN_network net;
  ClearLog();
  ASSERT_EQ(net.ReadFile(path.c_str(), 0, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 1);
  EXPECT_EQ(LoggedCount(), 0u);
}
