// What the native writers produce reads back equal, and the XML reader keeps
// going (or stops with a reason) on input the engine can't take as it is.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/QDN_errorLog.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"
#include "test_lists.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodel.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"
#include "xml/QDN_xmlValues.h"

namespace {

QDN_nodeDefinition& Def(QDN_network& net, int h) { return *net.GetNode(h)->GetDefinition(); }

void Present(QDN_network& net, int h, const char* name, int x) {
  QDN_nodeInfo& info = net.GetNode(h)->GetInfo();
  ASSERT_EQ(info.header.SetName(name), QDN_NO_ERROR);
  info.screen.position = {x, 10, x + 60, 40};
  info.screen.color = 0x00ccff;
  info.screen.border_color = 0x102030;
  info.screen.border_thickness = 2;
}

// Every definition type the files carry, with every presentation attribute.
void BuildEverything(QDN_network& net) {
  net.SetSampleCount(500);
  QDN_episParameters epis;
  epis.proplen = 7;
  epis.eps1 = 0.01;
  ASSERT_EQ(net.SetEpisParameters(epis), QDN_NO_ERROR);
  net.SetFaultNameFormat(2);
  ASSERT_GE(net.GetProperties().AddProperty("author", "two\nlines \\ slash"), 0);
  QDN_submodel& root = *net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  ASSERT_EQ(root.header.SetId("Everything"), QDN_NO_ERROR);
  ASSERT_EQ(root.header.SetName("Every kind of node"), QDN_NO_ERROR);
  ASSERT_EQ(root.header.SetComment("Root\tcomment"), QDN_NO_ERROR);
  root.screen_comments.push_back({"A note\nover two lines", {5, 5, 80, 30}});
  const int sub = net.GetSubmodels().AddSubmodel(QDN_network::kMainSubmodel, "S");
  ASSERT_GE(sub, 0);
  QDN_submodel& s = *net.GetSubmodels().GetSubmodel(sub);
  ASSERT_EQ(s.header.SetName("Sub model"), QDN_NO_ERROR);
  ASSERT_EQ(s.header.SetComment("inside"), QDN_NO_ERROR);
  s.screen.position = {100, 100, 200, 150};
  s.screen.color = 0xeeeeee;
  s.screen.border_color = 0;
  s.screen.border_thickness = 1;
  s.window_position = {1, 2, 300, 400};
  s.screen_comments.push_back({"inner", {0, 0, 10, 10}});
  const int inner = net.GetSubmodels().AddSubmodel(sub, "T");
  ASSERT_GE(inner, 0);

  const int a = net.AddNode(QDN_CPT, "a");
  ASSERT_EQ(Def(net, a).SetNumberOfOutcomes(TextList({"lo", "mid", "hi"})), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_cpt&>(Def(net, a)).SetProbabilities(DoubleList({0.2, 0.3, 0.5})),
            QDN_NO_ERROR);
  Present(net, a, "C:\\temp\\new", 0);
  ASSERT_EQ(net.GetNode(a)->GetInfo().header.SetComment("first\nsecond \\ third"), QDN_NO_ERROR);
  ASSERT_GE(net.GetNode(a)->GetInfo().properties.AddProperty("unit", "m/s"), 0);
  ASSERT_GE(net.GetNode(a)->GetInfo().documentation.Add("Manual", "http://x/a"), 0);
  ASSERT_EQ(net.SetTarget(a), QDN_NO_ERROR);
  ASSERT_EQ(net.GetNode(a)->SetSubmodel(sub), QDN_NO_ERROR);
  QDN_extraDefinition& extra = *net.GetNode(a)->GetExtraDefinition();
  extra.troubleType = QDN_extraDefinition::kTarget;
  extra.ranked = extra.mandatory = true;
  extra.set_as_default = true;
  extra.show_as = 1;
  extra.question = "Is it\nhigh?";
  ASSERT_EQ(extra.SetDefaultState(1), QDN_NO_ERROR);
  ASSERT_EQ(extra.SetFaultStateIndices(IntList({2})), QDN_NO_ERROR);
  ASSERT_EQ(extra.SetFaultLabel(2, "F_hi"), QDN_NO_ERROR);
  extra.GetOutcome(2).fault_name = "&node too high";
  extra.GetOutcome(2).repair_info = "Lower\nit";
  extra.GetOutcome(2).comment = "c:\\path";
  ASSERT_GE(extra.GetOutcome(2).Documentation().Add("Fix", "fix.html"), 0);

  const int b = net.AddNode(QDN_CPT, "b");
  ASSERT_EQ(net.AddArc(a, b, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_cpt&>(Def(net, b))
                .SetProbabilities(DoubleList({1.0 / 3, 2.0 / 3, 0.25, 0.75, 0, 1})),
            QDN_NO_ERROR);
  Present(net, b, "b", 80);
  extra.troubleType = QDN_extraDefinition::kTarget;
  net.GetNode(b)->GetExtraDefinition()->troubleType = QDN_extraDefinition::kObservation;
  ASSERT_EQ(net.GetNode(b)->SetSubmodel(inner), QDN_NO_ERROR);

  const int t = net.AddNode(QDN_TRUTHTABLE, "t");
  ASSERT_EQ(net.AddArc(a, t, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_truthTable&>(Def(net, t)).SetResultingStates(IntList({1, 0, 1})),
            QDN_NO_ERROR);
  const int n = net.AddNode(QDN_NOISY_MAX, "n");
  ASSERT_EQ(net.AddArc(a, n, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_noisyMAX&>(Def(net, n))
                .SetParameters(DoubleList({0.9, 0.1, 0.6, 0.4, 0.05, 0.95})),
            QDN_NO_ERROR);
  const int d = net.AddNode(QDN_LIST, "d");
  ASSERT_EQ(Def(net, d).SetNumberOfOutcomes(TextList({"go"})), QDN_NO_ERROR);
  const int u = net.AddNode(QDN_TABLE, "u");
  ASSERT_EQ(net.AddArc(d, u, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(b, u, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_table&>(Def(net, u)).SetUtilities(DoubleList({10, -5.5, 0.125, 1e-9})),
            QDN_NO_ERROR);
  const int u2 = net.AddNode(QDN_TABLE, "u2");
  const int m = net.AddNode(QDN_MAU, "m");
  ASSERT_EQ(net.AddArc(u, m, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(u2, m, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_mau&>(Def(net, m)).SetWeights(DoubleList({0.25, 0.75})), QDN_NO_ERROR);
  const int c1 = net.AddNode(QDN_CAST, "c1"), c2 = net.AddNode(QDN_CAST, "c2");
  ASSERT_EQ(net.AddArc(c1, c2, 0), QDN_NO_ERROR);
  auto& cast = static_cast<QDN_cast&>(Def(net, c2));
  ASSERT_EQ(cast.SetPositiveWeights(DoubleList({0.5})), QDN_NO_ERROR);
  ASSERT_EQ(cast.SetNegativeWeights(DoubleList({-0.25})), QDN_NO_ERROR);
  ASSERT_EQ(cast.SetBaseline(0.3), QDN_NO_ERROR);
  const int e = net.AddNode(QDN_EQUATION, "e"), f = net.AddNode(QDN_EQUATION, "f");
  ASSERT_EQ(net.AddArc(e, f, 0), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_equation&>(Def(net, e)).SetEquation("e = Normal(0, 1)"), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_equation&>(Def(net, f)).SetEquation("f = e * 3"), QDN_NO_ERROR);
  // Two coupled equations that name each other without being parents.
  const int s1 = net.AddNode(QDN_EQUATION_SCC, "s1"), s2 = net.AddNode(QDN_EQUATION_SCC, "s2");
  ASSERT_EQ(static_cast<QDN_equation&>(Def(net, s1)).SetEquation("s1 = s2 / 2 + 1"), QDN_NO_ERROR);
  ASSERT_EQ(static_cast<QDN_equation&>(Def(net, s2)).SetEquation("s2 = s1 - 1"), QDN_NO_ERROR);

  ASSERT_EQ(net.AddArc(a, b, QDN_network::kCostArc), QDN_NO_ERROR);
  const double costs[] = {1.5, kNotApplicableValue, 2.25};
  ASSERT_EQ(net.GetNode(b)->GetCost().SetCosts(costs, 3), QDN_NO_ERROR);
}

// Writes in a format, reads back, and gives the network read.
void RoundTrip(QDN_network& net, int format, const char* name, QDN_network& back) {
  QDN_RegisterFormats();
  const std::string path = TempPath(name);
  ClearLog();
  ASSERT_EQ(net.WriteFile(path.c_str(), format), QDN_NO_ERROR);
  ASSERT_EQ(back.ReadFile(path.c_str(), format, 0), QDN_NO_ERROR) << ReadFileText(path);
  EXPECT_EQ(LoggedCount(), 0u) << QDN_GetErrorLog().GetEntry(0).message;
}

int ReadXml(QDN_network& net, const std::string& nodes, const std::string& rest = "") {
  QDN_RegisterFormats();
  ClearLog();
  const std::string text = "<?xml version=\"1.0\"?>\n<brima version=\"1.0\" id=\"n\"><nodes>" +
                           nodes + "</nodes>" + rest + "</brima>\n";
  return net.ReadFile(WriteTempFile("integrity.xqdn", text).c_str(), 8, 0);
}

const char* kTwoNodes =
    "<cpt id=\"a\"><state id=\"x\"/><state id=\"y\"/><probabilities>0.25 0.75</probabilities></cpt>"
    "<cpt id=\"b\"><state id=\"p\"/><state id=\"q\"/><parents>a</parents>"
    "<probabilities>0.1 0.9 0.2 0.8</probabilities></cpt>";

std::string NodeA(const std::string& states) {
  return "<extensions><norix version=\"1\" name=\"N\"><node id=\"a\"><name>A</name>"
         "<interior color=\"ff0000\"/><outline color=\"00ff00\"/>"
         "<font name=\"f\" size=\"8\" color=\"000000\"/><position>0 0 40 20</position>" +
         states + "</node></norix></extensions>";
}

} // namespace

TEST(NativeRoundTripTest, EveryDefinitionTypeAndPresentationAttributeComesBackEqual) {
  QDN_network net;
  BuildEverything(net);
  if (HasFatalFailure()) return;
  const std::string want = DescribeNetwork(net);
  for (int format : {4, 8}) {
    SCOPED_TRACE(format);
    QDN_network back;
    RoundTrip(net, format, format == 4 ? "everything.qdn" : "everything.xqdn", back);
    EXPECT_EQ(DescribeNetwork(back), want);
    const QDN_node& a = *back.GetNode(back.FindNode("a"));
    EXPECT_STREQ(a.GetInfo().header.GetName(), "C:\\temp\\new");
  }
}

TEST(NativeRoundTripTest, LongRealsReadBackExactly) {
  EXPECT_EQ(QDN_FormatLongReal(0.1), "0.1");
  EXPECT_EQ(QDN_FormatLongReal(1.0 / 3), "0.3333333333333333");
  for (double value : {0.10526315789473691, 2.0 / 3, 1e-300 / 7, 123456.789e10 / 3}) {
    const std::string text = QDN_FormatLongReal(value);
    EXPECT_EQ(std::stod(text), value) << text;
  }
}

TEST(NativeRoundTripTest, XmlWriterRefusesNodesItHasNoElementFor) {
  for (int type : {0, QDN_DISTRIBUTION}) {
    QDN_network net;
    ASSERT_GE(net.AddNode(QDN_CPT, "a"), 0);
    ASSERT_GE(net.AddNode(type, "odd"), 0);
    QDN_RegisterFormats();
    const std::string path = TempPath("refused.xqdn");
    std::remove(path.c_str());
    ClearLog();
    EXPECT_EQ(net.WriteFile(path.c_str(), 8), QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Node 'odd' of type"));
    EXPECT_TRUE(ReadFileText(path).empty());
  }
}

TEST(NativeRoundTripTest, TypeAndOutcomeChangesOnNodesWithChildrenStillWriteReadableFiles) {
  // A utility block for a node that already has chance children (as an
  // MSBN file may give it): the children lose the arc and the file reads back.
  QDN_network net;
  const int a = net.AddNode(QDN_CPT, "a"), b = net.AddNode(QDN_CPT, "b");
  const int u = net.AddNode(QDN_TABLE, "u");
  ASSERT_EQ(net.AddArc(a, b, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(a, u, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.ChangeNodeType(b, QDN_TABLE), QDN_NO_ERROR);
  ASSERT_EQ(Def(net, a).SetNumberOfOutcomes(4), QDN_NO_ERROR);
  const int c = net.AddNode(QDN_CPT, "c");
  ASSERT_EQ(net.AddArc(a, c, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.ChangeNodeType(a, QDN_TABLE), QDN_NO_ERROR);
  for (int format : {4, 8}) {
    QDN_network back;
    RoundTrip(net, format, format == 4 ? "changed.qdn" : "changed.xqdn", back);
    EXPECT_EQ(DescribeNetwork(back), DescribeNetwork(net));
  }
}

TEST(NativeRoundTripTest, MsbnUtilityBlockForANodeWithChanceChildrenConverts) {
  const std::string dsc =
      WriteTempFile("utility.dsc", "belief network \"u\"\n"
                                   "node A { type : discrete [ 2 ] = { \"lo\", \"hi\" }; }\n"
                                   "node B { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
                                   "probability ( A ) { 0.75, 0.25; }\n"
                                   "probability ( B | A ) { (0) : 0.5, 0.5; (1) : 0.25, 0.75; }\n"
                                   "utility ( A ) { 7; }\n");
  QDN_network net;
  ClearLog();
  ASSERT_EQ(net.ReadFile(dsc.c_str(), 3, 0), QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("Arc from 'A' to 'B' removed"));
  const int b = net.FindNode("B");
  EXPECT_EQ(net.GetNumberOfParents(b, 0), 0);
  EXPECT_EQ(CellsOf(*Def(net, b).GetTable()), (std::vector<double>{0.5, 0.5}));
  QDN_network back;
  RoundTrip(net, 8, "utility.xqdn", back);
  EXPECT_EQ(DescribeNetwork(back), DescribeNetwork(net));
}

TEST(XqdnIntegrityTest, NumberListsRefuseNanAndInfinity) {
  for (const char* bad : {"nan", "inf", "-inf", "NaN", "+inf", "infinity"}) {
    SCOPED_TRACE(bad);
    QDN_network net;
    EXPECT_EQ(ReadXml(net, std::string("<cpt id=\"a\"><state id=\"x\"/><state id=\"y\"/>"
                                       "<probabilities>0.5 ") +
                               bad + "</probabilities></cpt>"),
              QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Can't read double list, failed at element 1"));
    EXPECT_EQ(
        ReadXml(net, std::string("<utility id=\"u\"><utilities>") + bad + "</utilities></utility>"),
        QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Can't read double list, failed at element 0"));
  }
  QDN_network net;
  EXPECT_EQ(ReadXml(net, "<utility id=\"u\"><utilities>1e308</utilities></utility>"), QDN_NO_ERROR);
  EXPECT_EQ(ReadXml(net, "<utility id=\"u\"><utilities>1e309</utilities></utility>"),
            QDN_FILE_IO_FAILED);
}

TEST(XqdnIntegrityTest, CastWeightsComeInPairs) {
  const std::string parent = "<cast id=\"p\"><baseline>0.5</baseline></cast>";
  for (const char* weights : {"<pweights>0.5</pweights>", "<nweights>-0.5</nweights>"}) {
    QDN_network net;
    EXPECT_EQ(ReadXml(net, parent + "<cast id=\"x\"><parents>p</parents>" + weights +
                               "<baseline>0.5</baseline></cast>"),
              QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Weights failed"));
  }
  QDN_network net;
  ASSERT_EQ(ReadXml(net, parent + "<cast id=\"x\"><parents>p</parents><pweights>0.5</pweights>"
                                  "<nweights>-0.5</nweights><baseline>0.5</baseline></cast>"),
            QDN_NO_ERROR);
  const auto& cast = static_cast<QDN_cast&>(Def(net, net.FindNode("x")));
  EXPECT_EQ(cast.GetNegativeWeights().At(0), -0.5);
}

TEST(XqdnIntegrityTest, ObservationCostsDoNotDependOnElementOrder) {
  for (bool cost_first : {false, true}) {
    SCOPED_TRACE(cost_first);
    const std::string parents = "<parents>a</parents>", cost = "<cost>1 n/a</cost>";
    QDN_network net;
    ASSERT_EQ(ReadXml(net, kTwoNodes,
                      "<observationcost><node id=\"b\">" +
                          (cost_first ? cost + parents : parents + cost) +
                          "</node></observationcost>"),
              QDN_NO_ERROR);
    const QDN_costDefinition& costs = net.GetNode(net.FindNode("b"))->GetCost();
    ASSERT_EQ(costs.GetParents().GetCount(), 1);
    ASSERT_EQ(costs.GetCosts().GetSize(), 2);
    EXPECT_EQ(costs.GetCosts().GetItems().At(0), 1.0);
  }
  QDN_network net;
  EXPECT_EQ(ReadXml(net, kTwoNodes,
                    "<observationcost><node id=\"b\"><cost>1 2 3</cost><parents>a</parents>"
                    "</node></observationcost>"),
            QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Wrong number of node costs"));
}

TEST(XqdnIntegrityTest, FaultLabelsThatAreNoUniqueIdentifiersAreRepaired) {
  QDN_network net;
  ASSERT_EQ(ReadXml(net, kTwoNodes,
                    NodeA("<state id=\"x\" globalid=\"Fault 1\"/><state id=\"y\" "
                          "globalid=\"Fault_1\"/>")),
            QDN_NO_ERROR);
  const QDN_extraDefinition& extra = *net.GetNode(net.FindNode("a"))->GetExtraDefinition();
  EXPECT_EQ(extra.GetOutcome(0).fault_label, "Fault_1");
  EXPECT_EQ(extra.GetOutcome(1).fault_label, "Fault_10");
  EXPECT_TRUE(LogContains("Fault label 'Fault 1' of state 'x' of node 'a' is not a unique "
                          "identifier; stored as 'Fault_1'"));
  EXPECT_TRUE(LogContains("stored as 'Fault_10'"));
  // The rest of the file is read.
  EXPECT_STREQ(net.GetNode(net.FindNode("a"))->GetName(), "A");
}

TEST(XqdnIntegrityTest, NamesArePlainTextCommentsUseBackslashSequences) {
  QDN_network net;
  std::string extension = NodeA("");
  extension.replace(extension.find("<name>A</name>"), 14,
                    "<name>C:\\temp\\new</name><comment>C:\\temp\\new</comment>");
  ASSERT_EQ(ReadXml(net, kTwoNodes, extension), QDN_NO_ERROR);
  const QDN_header& header = net.GetNode(net.FindNode("a"))->GetInfo().header;
  EXPECT_STREQ(header.GetName(), "C:\\temp\\new");
  EXPECT_STREQ(header.GetComment(), "C:\temp\new"); // a tab and a line feed
  const std::string path = TempPath("names.xqdn");
  ASSERT_EQ(net.WriteFile(path.c_str(), 8), QDN_NO_ERROR);
  EXPECT_NE(ReadFileText(path).find("<name>C:\\temp\\new</name>"), std::string::npos);
}

TEST(XqdnIntegrityTest, CoupledEquationsMayNameLaterNodes) {
  QDN_network net;
  ASSERT_EQ(ReadXml(net, "<equationscc id=\"x\"><definition>x = y + 1</definition></equationscc>"
                         "<equationscc id=\"y\"><definition>y = x / 2</definition></equationscc>"),
            QDN_NO_ERROR);
  EXPECT_EQ(static_cast<QDN_equation&>(Def(net, net.FindNode("x"))).GetEquation(), "x = y + 1");
  EXPECT_EQ(ReadXml(net, "<equationscc id=\"x\"><definition>x = z</definition></equationscc>"),
            QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Invalid equation: x = z"));
  // A plain equation still names only its parents.
  EXPECT_EQ(ReadXml(net, "<equation id=\"x\"><definition>x = y</definition></equation>"
                         "<equation id=\"y\"><definition>y = 1</definition></equation>"),
            QDN_FILE_IO_FAILED);
}

// What one node element gave (states, default and fault marks, weights,
// strengths) must not reach the next node.
TEST(XqdnIntegrityTest, EachNodeStartsFromNothing) {
  QDN_network net;
  ASSERT_EQ(ReadXml(net, "<cpt id=\"a\"><state id=\"x\" fault=\"true\"/>"
                         "<state id=\"y\" default=\"true\"/><probabilities>0.5 0.5</probabilities>"
                         "</cpt><cpt id=\"b\"><state id=\"p\"/><state id=\"q\"/>"
                         "<probabilities>0.5 0.5</probabilities></cpt>"
                         "<cast id=\"c\"><baseline>0.5</baseline></cast>"
                         "<cast id=\"d\"><parents>c</parents><pweights>0.5</pweights>"
                         "<nweights>-0.5</nweights><baseline>0.5</baseline></cast>"
                         "<cast id=\"e\"><baseline>0.25</baseline></cast>"
                         "<noisymax id=\"k\"><state id=\"on\"/><state id=\"off\"/>"
                         "<parents>a</parents><strengths>1 0</strengths>"
                         "<parameters>0.9 0.1 0 1 0.2 0.8</parameters></noisymax>"
                         "<noisymax id=\"m\"><state id=\"on\"/><state id=\"off\"/></noisymax>"),
            QDN_NO_ERROR);
  const QDN_extraDefinition& a = *net.GetNode(net.FindNode("a"))->GetExtraDefinition();
  EXPECT_TRUE(a.set_as_default);
  EXPECT_EQ(a.default_state, 1);
  EXPECT_TRUE(a.GetOutcome(0).fault);
  const QDN_extraDefinition& b = *net.GetNode(net.FindNode("b"))->GetExtraDefinition();
  EXPECT_FALSE(b.set_as_default);
  EXPECT_FALSE(b.GetOutcome(0).fault);
  EXPECT_FALSE(b.GetOutcome(1).fault);
  const auto& e = static_cast<QDN_cast&>(Def(net, net.FindNode("e")));
  EXPECT_EQ(e.GetBaseline(), 0.25);
  EXPECT_EQ(e.GetPositiveWeights().GetCount(), 0);
  EXPECT_EQ(Def(net, net.FindNode("m")).GetNumberOfOutcomes(), 2);
  EXPECT_EQ(net.GetNumberOfParents(net.FindNode("m"), 0), 0);
}
