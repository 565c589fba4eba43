// A node a file gives one state gets a second one (every node has two); the
// file's probabilities must keep their meaning in every format that can say
// "one state".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

std::vector<double> Table(QDN_network& net, const char* id) {
  const int h = net.FindNode(id);
  if (h < 0) return {};
  const QDN_Dmatrix& t = *net.GetNode(h)->GetDefinition()->GetTable();
  return std::vector<double>(t.GetItems().Data(), t.GetItems().Data() + t.GetSize());
}

struct Case {
  int format;
  const char* name;
  const char* text;
};

// Node a has the one state "only", b is its child with states x and y.
const Case kCases[] = {
    {QDN_FORMAT_HUGIN, "one.net",
     "net { }\nnode a { states = (\"only\"); }\nnode b { states = (\"x\" \"y\"); }\n"
     "utility u { }\npotential (a) { data = (1); }\n"
     "potential (b | a) { data = ((0.3 0.7)); }\npotential (u | a) { data = (5); }\n"},
    {QDN_FORMAT_NETICA, "one.dne",
     "bnet n {\nnode a { kind = NATURE; discrete = TRUE; states = (only); parents = ();\n"
     "  probs = (1); };\n"
     "node b { kind = NATURE; discrete = TRUE; states = (x, y); parents = (a);\n"
     "  probs = ((0.3, 0.7)); };\n"
     "node u { kind = UTILITY; discrete = FALSE; parents = (a); functable = (5); };\n};\n"},
    {QDN_FORMAT_XMLBIF, "one.xml03",
     "<BIF VERSION=\"0.3\"><NETWORK><NAME>n</NAME>\n"
     "<VARIABLE TYPE=\"nature\"><NAME>a</NAME><OUTCOME>only</OUTCOME></VARIABLE>\n"
     "<VARIABLE TYPE=\"nature\"><NAME>b</NAME><OUTCOME>x</OUTCOME><OUTCOME>y</OUTCOME>"
     "</VARIABLE>\n<VARIABLE TYPE=\"utility\"><NAME>u</NAME></VARIABLE>\n"
     "<DEFINITION><FOR>a</FOR><TABLE>1</TABLE></DEFINITION>\n"
     "<DEFINITION><FOR>b</FOR><GIVEN>a</GIVEN><TABLE>0.3 0.7</TABLE></DEFINITION>\n"
     "<DEFINITION><FOR>u</FOR><GIVEN>a</GIVEN><TABLE>5</TABLE></DEFINITION>\n"
     "</NETWORK></BIF>\n"},
    {QDN_FORMAT_QDN, "one.qdn",
     "net n {\n node a { TYPE = CPT; DEFINITION = { NAMESTATES = (only);\n"
     "  PROBABILITIES = (1); }; };\n"
     " node b { TYPE = CPT; PARENTS = (a); DEFINITION = { NAMESTATES = (x, y);\n"
     "  PROBABILITIES = (0.3, 0.7); }; };\n"
     " node u { TYPE = TABLE; PARENTS = (a); DEFINITION = { UTILITIES = (5); }; };\n};\n"},
    {QDN_FORMAT_MSBN, "one.dsc",
     "belief network \"n\"\nnode a { type : discrete [ 1 ] = { \"only\" }; }\n"
     "node b { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
     "node u { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
     "probability (a) { 1; }\nprobability (b | a) { (0) : 0.3, 0.7; }\n"
     "utility (u | a) { (0) : 5; }\n"},
    {QDN_FORMAT_KI, "one.dxp",
     "diagnostic network \"n\"\nkb {\n};\nnodes {\n"
     "  standard a { type : discrete [1] = 3 states {\n"
     "    standard state { NAME : \"only\"; }; }; };\n"
     "  standard b { type : discrete [2] = 3 states {\n"
     "    standard state { NAME : \"x\"; }; standard state { NAME : \"y\"; }; }; };\n};\n"
     "network {\n  standard a { PROB : { () ; 1 ; }; };\n"
     "  standard b parent (a) { PROB : { (0) ; 0.3, 0.7 ; }; };\n};\n"},
    {QDN_FORMAT_ERGO, "one.erg",
     "2\n1 2\n0\n1 1\n/* Probabilities */\n1\n1.0\n2\n0.3 0.7\n/* Names */ a b\n/* Labels */ "
     "only\nx y\n"},
};

TEST(OneStateNodesTest, TheAddedStateHasProbabilityZeroAndChildrenKeepTheirRows) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    QDN_network net;
    ClearLog();
    ASSERT_EQ(net.ReadFile(WriteTempFile(c.name, c.text).c_str(), c.format, 0), QDN_NO_ERROR);
    for (size_t i = 0; i < LoggedCount(); ++i)
      ADD_FAILURE() << QDN_GetErrorLog().GetEntry(i).message;
    const int a = net.FindNode("a");
    ASSERT_GE(a, 0);
    const QDN_nodeDefinition& definition = *net.GetNode(a)->GetDefinition();
    ASSERT_EQ(definition.GetNumberOfOutcomes(), 2);
    EXPECT_STREQ(definition.GetOutcomesNames()->At(0), "only");
    EXPECT_EQ(Table(net, "a"), (std::vector<double>{1, 0}));
    // The row for the added state repeats the row for "only".
    EXPECT_EQ(Table(net, "b"), (std::vector<double>{0.3, 0.7, 0.3, 0.7}));
    if (c.format != QDN_FORMAT_ERGO && c.format != QDN_FORMAT_KI) {
      EXPECT_EQ(Table(net, "u"), (std::vector<double>{5, 5}));
    }
  }
  ClearLog();
}

} // namespace
