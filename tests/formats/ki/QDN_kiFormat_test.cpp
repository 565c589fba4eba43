#include "formats/ki/QDN_kiFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_status.h"
#include "definitions/QDN_noisyMAX.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

const std::string kPump = std::string(CALLBRIMA_SOURCE_DIR) + "/fuzz/corpus/ki/pump.dxp";

int ReadText(QDN_network& net, std::string_view text) {
  ClearLog();
  return net.ReadFile(WriteTempFile("read.dxp", text).c_str(), 7, 0);
}

QDN_node& Node(QDN_network& net, const char* id) {
  const int handle = net.FindNode(id);
  EXPECT_GE(handle, 0) << id;
  return *net.GetNode(handle);
}

// The network block of a two-node file whose "child" is a noisy-MAX node
// with a three-state parent; statements go into the child's entry.
std::string NoisyFile(std::string_view function) {
  std::string text = R"(diagnostic network "n"
kb { };
nodes {
  standard p { type : discrete [3] = 3 states {
    standard s { NAME : "a"; }; standard s { NAME : "b"; }; standard s { NAME : "c"; }; }; };
  ci child { type : discrete [2] = 3 states { standard s { NAME : "yes"; }; standard s { NAME : "no"; }; }; };
};
network {
  ci child parent (p) {
)";
  text.append(function).append("\n  };\n};\n");
  return text;
}

std::vector<double> Cpt(QDN_network& net, const char* id) {
  auto* definition = dynamic_cast<QDN_noisyMAX*>(Node(net, id).GetDefinition());
  EXPECT_NE(definition, nullptr);
  EXPECT_EQ(definition->ComputeCpt(), QDN_NO_ERROR);
  const QDN_Dmatrix& table = definition->GetExpandedTable();
  std::vector<double> out;
  for (int i = 0; i < table.GetSize(); ++i)
    out.push_back(table.At(i));
  return out;
}

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i)
    EXPECT_NEAR(actual[i], expected[i], 1e-4) << "cell " << i;
}

} // namespace

TEST(KiFormatTest, ReadsNodesStatesAndDiagnosticRoles) {
  QDN_network net;
  ClearLog();
  ASSERT_EQ(net.ReadFile(kPump.c_str(), 0, 0), QDN_NO_ERROR);
  const QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  EXPECT_STREQ(header.GetName(), "Pump  diagnosis");
  EXPECT_STREQ(header.GetId(), "Pump__diagnosis");
  EXPECT_STREQ(header.GetComment(), "Hand-written knowledge base");

  // Names lose their surrounding blanks; probabilities are rounded to 5 decimals.
  QDN_node& power = Node(net, "Power");
  EXPECT_STREQ(power.GetInfo().header.GetName(), "Power supply");
  EXPECT_DOUBLE_EQ(power.GetDefinition()->GetTable()->At(0), 0.12346);
  EXPECT_DOUBLE_EQ(power.GetDefinition()->GetTable()->At(1), 0.87654);

  // Observable wins over fault states; a fault state alone makes a target.
  EXPECT_EQ(power.GetExtraDefinition()->troubleType, QDN_extraDefinition::kObservation);
  EXPECT_EQ(Node(net, "Valve").GetExtraDefinition()->troubleType, QDN_extraDefinition::kTarget);
  QDN_node& flow = Node(net, "Flow");
  EXPECT_EQ(flow.GetExtraDefinition()->troubleType, QDN_extraDefinition::kAuxiliary);
  EXPECT_TRUE(flow.GetExtraDefinition()->ranked);
  EXPECT_EQ(power.GetExtraDefinition()->GetOutcome(1).fault, true);
  const QDN_extraDefinition& power_extra = *power.GetExtraDefinition();
  ASSERT_EQ(power_extra.Costs().GetCount(), 1);
  EXPECT_DOUBLE_EQ(power_extra.Costs().At(0), 2.5);
  EXPECT_EQ(flow.GetExtraDefinition()->Costs().GetCount(), 0);
  EXPECT_EQ(Node(net, "Valve").GetExtraDefinition()->GetOutcome(0).fault_name, "&node is &state");

  // Two state blocks for three outcomes: the third keeps its default identifier.
  EXPECT_STREQ(flow.GetDefinition()->GetOutcomesNames()->At(2), "State2");
  EXPECT_EQ(flow.GetExtraDefinition()->GetOutcome(1).short_name, "lo");
  // PROB rows land at their parent coordinates, the node's outcomes fastest.
  const QDN_Dmatrix& table = *flow.GetDefinition()->GetTable();
  EXPECT_DOUBLE_EQ(table.At(3 * 2 + 0), 1.0);
  EXPECT_DOUBLE_EQ(table.At(3 * 3 + 1), 0.25);

  // Leak (0.1, 0.9); Flow=none gives (0.8, 0.2), Flow=low (0.4, 0.6); the
  // absent state 2 leaves only the leak.
  ExpectNear(Cpt(net, "Alarm"), {0.8, 0.2, 0.4, 0.6, 0.1, 0.9});
}

TEST(KiFormatTest, FunctionRowsAndAbsentStates) {
  QDN_network net;
  // Absent state 0: rows go to outcomes 1 and 2 in turn.
  ASSERT_EQ(ReadText(net, NoisyFile(R"(FUNCTION : max ; 0.2, 0.8 ;
    (0) ; 0.6, 0.4 ; (0) ; 0.5, 0.5 ; end ;
    predAbsentStates : { predIndex : 0 ; predAbsentStates : { 0 } ; } ;)")),
            QDN_NO_ERROR);
  ExpectNear(Cpt(net, "child"), {0.2, 0.8, 0.6, 0.4, 0.5, 0.5});

  // One row carrying both present outcomes' distributions.
  ASSERT_EQ(ReadText(net, NoisyFile(R"(FUNCTION : max ; 0.2, 0.8 ;
    (0) ; 0.6, 0.4, 0.3, 0.7 ; end ;
    predAbsentStates : { predIndex : 0 ; predAbsentStates : { 1 } ; } ;)")),
            QDN_NO_ERROR);
  ExpectNear(Cpt(net, "child"), {0.6, 0.4, 0.2, 0.8, 0.3, 0.7});

  // A second absent state has no effect either.
  ASSERT_EQ(ReadText(net, NoisyFile(R"(FUNCTION : max ; 0.2, 0.8 ;
    (0) ; 0.6, 0.4 ; end ;
    predAbsentStates : { predIndex : 0 ; predAbsentStates : { 2, 1 } ; } ;)")),
            QDN_NO_ERROR);
  ExpectNear(Cpt(net, "child"), {0.6, 0.4, 0.2, 0.8, 0.2, 0.8});

  // Faulty rows are reported and leave their outcome without effect.
  ASSERT_EQ(ReadText(net, NoisyFile(R"(FUNCTION : max ; 0.2, 0.8 ;
    (3) ; 0.6, 0.4 ; (0, 2) ; 0.6, 0.4 ; (0, 1) ; 0.6 ; (0, 0) ; 0.7, 0.3 ; end ;)")),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("ERROR: Invalid parent index"));
  EXPECT_TRUE(LogContains("ERROR: Invalid parent outcome"));
  EXPECT_TRUE(LogContains("ERROR: Wrong number of Probabilities"));
  ExpectNear(Cpt(net, "child"), {0.7, 0.3, 0.2, 0.8, 0.2, 0.8});
}

TEST(KiFormatTest, RecoveryAndLimits) {
  QDN_network net;
  // No header: nothing is read and the read succeeds.
  EXPECT_EQ(ReadText(net, "belief network \"x\""), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);

  EXPECT_EQ(ReadText(net, R"(diagnostic network "n" kb { COLOR : 3; }; nodes {
    standard a { FOO : 1; type : discrete [2] = 3 states { standard s { NAME : "x"; }; standard s { NAME : "y"; }; standard s { }; }; };
    standard b { type : discrete [200000] = 3 states { }; };
    standard c { type : discrete [2] = 3 states { }; };
  };
  network { standard c parent (a, missing) { PROB : { (0) ; 0.5 ; (7) ; 0.5, 0.5 ; (0) ; 0.25, 0.75 ; }; BOGUS ; }; };)"),
            QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("Unknown KB Field"));
  EXPECT_TRUE(LogContains("Unknown Node Statement"));
  EXPECT_TRUE(LogContains("ERROR: More state blocks than outcomes"));
  EXPECT_TRUE(LogContains("Wrong number of outcomes"));
  EXPECT_TRUE(LogContains("ERROR: Couldn't add arc from node [missing] to node [c]"));
  EXPECT_TRUE(LogContains("ERROR: Wrong number of Probabilities"));
  EXPECT_TRUE(LogContains("ERROR: Invalid coordinates"));
  EXPECT_TRUE(LogContains("Unknown Node Definition Statement"));
  EXPECT_DOUBLE_EQ(Node(net, "c").GetDefinition()->GetTable()->At(1), 0.75);
  // A broken nodes frame ends the read with its status.
  EXPECT_LT(ReadText(net, "diagnostic network \"n\" kb { }; nodes"), 0);
}

TEST(KiFormatTest, WriterLeavesOutWhatKiDoesNotKeep) {
  QDN_network net;
  ASSERT_EQ(net.ReadFile(kPump.c_str(), 0, 0), QDN_NO_ERROR);
  const std::string path = WriteTempFile("written.dxp", "");
  ASSERT_EQ(net.WriteFile(path.c_str(), 0), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.find("SHOWAS"), std::string::npos);
  EXPECT_EQ(text.find("STRENGTHS"), std::string::npos);
  EXPECT_EQ(text.find("DIAGNOSIS_TYPE"), std::string::npos);
  // What it writes is the native layout, readable as such.
  QDN_network back;
  ASSERT_EQ(back.ReadFile(path.c_str(), 4, 0), QDN_NO_ERROR);
  EXPECT_EQ(back.GetNumberOfNodes(), 4);
  ExpectNear(Cpt(back, "Alarm"), Cpt(net, "Alarm"));
  // And the KI reader reads it back too, with its final pass: a saved .dxp
  // file opens again.
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 0, 0), QDN_NO_ERROR);
  EXPECT_EQ(again.GetNumberOfNodes(), 4);
  ExpectNear(Cpt(again, "Alarm"), Cpt(net, "Alarm"));
}
