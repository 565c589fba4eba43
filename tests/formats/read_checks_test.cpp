// The checks that end a read: unready nodes removed, the first inconsistent
// node (in handle order) logged, flags set, whatever order the file's arcs
// come in.
#include <gtest/gtest.h>

#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "test_util.h"

namespace {

// XMLBIF with nodes c, b, p in that order: c's parent p comes after it.
std::string ThreeNodes(const char* c_table, const char* b_table) {
  auto variable = [](const char* name) {
    return std::string("<VARIABLE TYPE=\"nature\"><NAME>") + name +
           "</NAME><OUTCOME>s0</OUTCOME><OUTCOME>s1</OUTCOME></VARIABLE>\n";
  };
  return std::string("<?xml version=\"1.0\"?>\n<BIF VERSION=\"0.3\"><NETWORK><NAME>t</NAME>\n") +
         variable("c") + variable("b") + variable("p") +
         "<DEFINITION><FOR>c</FOR><GIVEN>p</GIVEN><TABLE>" + c_table + "</TABLE></DEFINITION>\n" +
         "<DEFINITION><FOR>b</FOR><TABLE>" + b_table + "</TABLE></DEFINITION>\n" +
         "<DEFINITION><FOR>p</FOR><TABLE>0.5 0.5</TABLE></DEFINITION>\n</NETWORK></BIF>\n";
}

const QDN_errorLog::Entry& LastEntry() {
  const QDN_errorLog& log = QDN_GetErrorLog();
  return log.GetEntry(log.GetCount() - 1);
}

} // namespace

TEST(ReadChecksTest, TheFirstInconsistentNodeIsLoggedWhereverItsParentsAre) {
  struct Case {
    const char* c_table;
    const char* b_table;
    const char* logged; // null: consistent
  } cases[] = {
      {"0.5 0.5 0.3 0.7", "0.5 0.5", nullptr},
      {"0.5 0.5 0.3 0.7", "0.5 0.6", "b"},
      {"0.5 0.5 0.3 0.3", "0.5 0.6", "c"},
      {"0.5 0.5 0.3 0.3", "0.5 0.5", "c"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.c_table) + " / " + test.b_table);
    QDN_network net;
    ASSERT_EQ(ReadText(net, 6, ThreeNodes(test.c_table, test.b_table)), QDN_NO_ERROR);
    EXPECT_EQ(net.GetNumberOfNodes(), 3);
    EXPECT_EQ(net.GetDroppedNodes(), 0);
    EXPECT_TRUE(net.IsReady());
    EXPECT_EQ(net.IsConsistent(), test.logged == nullptr);
    if (!test.logged) {
      EXPECT_EQ(LoggedCount(), 0u);
      continue;
    }
    ASSERT_EQ(LoggedCount(), 1u);
    EXPECT_EQ(LastEntry().code, QDN_NOT_CONSISTENT);
    EXPECT_EQ(LastEntry().message, std::string("ERROR: Node [") + test.logged +
                                       "] is not consistent. Inference may not be correct");
  }
}

TEST(ReadChecksTest, UnreadyNodesGoBeforeTheConsistencyEntry) {
  const char* text = "net t\n{\n"
                     " node a { TYPE = CPT; HEADER = { ID = a; }; PARENTS = ();\n"
                     "  DEFINITION = { NAMESTATES = (s0, s1); PROBABILITIES = (0.5, 0.5); }; };\n"
                     " node d { TYPE = DISTRIBUTION; HEADER = { ID = d; }; };\n"
                     " node b { TYPE = CPT; HEADER = { ID = b; }; PARENTS = (a);\n"
                     "  DEFINITION = { NAMESTATES = (s0, s1);\n"
                     "   PROBABILITIES = (0.5, 0.5, 0.5, 0.6); }; };\n"
                     " node e { TYPE = DISTRIBUTION; HEADER = { ID = e; }; };\n"
                     "};\n";
  QDN_network net;
  ASSERT_EQ(ReadText(net, 4, text), QDN_NO_ERROR);
  EXPECT_EQ(net.GetDroppedNodes(), 2);
  EXPECT_EQ(net.GetNumberOfNodes(), 2);
  EXPECT_EQ(net.FindNode("d"), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(net.IsReady());
  EXPECT_FALSE(net.IsConsistent());
  ASSERT_GE(LoggedCount(), 1u);
  EXPECT_EQ(LastEntry().message, "ERROR: Node [b] is not consistent. Inference may not be correct");
}
