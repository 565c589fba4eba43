#include "xml/QDN_xqdnFormat.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodel.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

int Read(QDN_network& net, const std::string& nodes, const std::string& rest = "",
         const std::string& brima = "version=\"1.0\" id=\"n\"") {
  QDN_RegisterFormats();
  ClearLog();
  const std::string text = "<?xml version=\"1.0\"?>\n<brima " + brima + "><nodes>" + nodes +
                           "</nodes>" + rest + "</brima>\n";
  return net.ReadFile(WriteTempFile("read.xqdn", text).c_str(), 0, 0);
}

const char* kTwoNodes =
    "<cpt id=\"a\"><state id=\"x\"/><state id=\"y\"/><probabilities>0.25 0.75</probabilities></cpt>"
    "<cpt id=\"b\"><state id=\"p\"/><state id=\"q\"/><parents>a</parents>"
    "<probabilities>0.1 0.9 0.2 0.8</probabilities></cpt>";

std::string Norix(const std::string& body,
                  const std::string& attributes = "version=\"1\" name=\"Net\"") {
  return "<extensions><norix " + attributes + ">" + body + "</norix></extensions>";
}

// The native text of a network, without the lines the XML format does not carry.
std::string NativeText(QDN_network& net) {
  const std::string path = WriteTempFile("compare.qdn", "");
  EXPECT_EQ(net.WriteFile(path.c_str(), 4), QDN_NO_ERROR);
  std::istringstream in(ReadFileText(path));
  std::string line, out;
  while (std::getline(in, line))
    if (line.find("CREATOR") == std::string::npos && line.find("\"Manual\"") == std::string::npos &&
        line.find("BKCOLOR") == std::string::npos && line.find("SHOWINARCS") == std::string::npos &&
        line.find("SETASDEFAULT") == std::string::npos)
      out += line + "\n";
  return out;
}

} // namespace

TEST(XqdnFormatTest, HeaderVersionAndSamples) {
  QDN_network net;
  net.SetSampleCount(500);
  EXPECT_EQ(Read(net, kTwoNodes, "", "version=\"1\" id=\"n\""), QDN_NO_ERROR);
  EXPECT_EQ(net.GetSampleCount(), 1000);
  EXPECT_EQ(net.GetNumberOfNodes(), 2);
  EXPECT_EQ(Read(net, kTwoNodes, "", "version=\"1.0\" id=\"n\" numsamples=\"77\""), QDN_NO_ERROR);
  EXPECT_EQ(net.GetSampleCount(), 77);
  EXPECT_EQ(Read(net, kTwoNodes, "", "version=\"1.1\" id=\"n\""), QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("while loading"));
  EXPECT_TRUE(LogContains(
      "Invalid version number '1.1', expected '1.0'\nPlease download most recent version"));
  EXPECT_EQ(Read(net, kTwoNodes, "", "id=\"n\""), QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Required attribute 'version' not found in element 'brima'"));
}

// A node the format cannot take fails the read, with the place and the reason.
TEST(XqdnFormatTest, NodeErrorsFailTheReadWithTheirReason) {
  struct Case {
    const char* nodes;
    const char* message;
  };
  for (const Case& c : {
           Case{"<cpt id=\"a\"><state id=\"x\" default=\"true\"/><state id=\"y\" "
                "default=\"true\"/><probabilities>1 0</probabilities></cpt>",
                "Duplicate default state attribute at state 'y'"},
           Case{"<cpt id=\"b\"><state id=\"p\"/><state id=\"q\"/><parents>a</parents>"
                "<probabilities>1 0 1 0</probabilities></cpt>",
                "Node parent 'a' not found"},
           Case{"<cpt id=\"a\"><state id=\"x\"/><state id=\"x\"/></cpt>",
                "Duplicate state identifier 'x'"},
           Case{"<cpt id=\"a\"><state id=\"x\"/><state id=\"y\"/></cpt>",
                "Required element 'probabilities' not present in element 'cpt'"},
           Case{"<cpt id=\"a\"><state id=\"x\"/><state id=\"y\"/><probabilities>0.5 "
                "zz</probabilities></cpt>",
                "Can't read double list, failed at element 1"},
           Case{"<cpt id=\"a\" diagtype=\"odd\"><state id=\"x\"/><state id=\"y\"/></cpt>",
                "Unknown diagnosis node type: 'odd'"},
       }) {
    SCOPED_TRACE(c.message);
    QDN_network net;
    EXPECT_EQ(Read(net, c.nodes), QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Error at 2, "));
    EXPECT_TRUE(LogContains(c.message));
  }
}

// Every number form a list may hold reads to what from_chars gives for it,
// whether or not it is a plain decimal; a word that only starts as a number
// fails the list at its position.
TEST(XqdnFormatTest, NumberListsReadEveryFormExactly) {
  const std::vector<std::string> words = {
      "0.1",   "-3", "1e5",      "+2.5", ".5",   "12345678901234567890", "0.30000000000000004",
      "1e-30", "-0", "4.9e-324", "7.",   "1E+2", "0.9999999999999999",   "123456789.123456789"};
  std::string states, utilities;
  for (size_t i = 0; i < words.size(); ++i) {
    states += "<state id=\"s" + std::to_string(i) + "\"/>";
    utilities += (i ? "\n\t " : " ") + words[i];
  }
  const std::string decision = "<decision id=\"d\">" + states + "</decision>";
  QDN_network net;
  ASSERT_EQ(Read(net, decision + "<utility id=\"u\"><parents>d</parents><utilities>" + utilities +
                          " </utilities></utility>"),
            QDN_NO_ERROR);
  const QDN_Dmatrix& table = *net.GetNode(net.FindNode("u"))->GetDefinition()->GetTable();
  ASSERT_EQ(table.GetSize(), static_cast<int>(words.size()));
  for (size_t i = 0; i < words.size(); ++i) {
    std::string_view word = words[i];
    if (word[0] == '+') word.remove_prefix(1);
    double expected = 0;
    std::from_chars(word.data(), word.data() + word.size(), expected);
    SCOPED_TRACE(words[i]);
    EXPECT_EQ(table.GetItems().At(static_cast<int>(i)), expected);
    EXPECT_EQ(std::signbit(table.GetItems().At(static_cast<int>(i))), std::signbit(expected));
  }
  for (const char* bad : {"1e5x", "0.5.5", "inf", "nan", "1e999", "--1", "0x10"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Read(net, decision + "<utility id=\"u\"><parents>d</parents><utilities>1 2 " + bad +
                            "</utilities></utility>"),
              QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains("Can't read double list, failed at element 2"));
  }
}

TEST(XqdnFormatTest, NoisyMaxStrengthsAndParametersFollowTheParents) {
  const std::string head =
      std::string(kTwoNodes) +
      "<noisymax id=\"c\"><state id=\"on\"/><state id=\"off\"/><parents>a</parents>";
  for (const auto& [body, message] :
       {std::pair{"<strengths>0 0</strengths>", "Invalid noisy-MAX strengths for parent 0"},
        std::pair{"<strengths>1 0 5</strengths>", "Wrong number of noisy-MAX strengths"},
        std::pair{"<parameters>0.5 0.5</parameters>", "Wrong number of noisy-MAX parameters"}}) {
    SCOPED_TRACE(message);
    QDN_network net;
    EXPECT_EQ(Read(net, head + body + "</noisymax>"), QDN_FILE_IO_FAILED);
    EXPECT_TRUE(LogContains(message));
  }
  QDN_network net;
  EXPECT_EQ(Read(net, head + "<strengths>1 0</strengths><parameters>0.3 0.7 0 1 0.1 "
                             "0.9</parameters></noisymax>"),
            QDN_NO_ERROR);
}

// Unknown content is a warning: the node is read, the summary logged once.
TEST(XqdnFormatTest, UnknownContentIsReadPastWithWarnings) {
  QDN_network net;
  EXPECT_EQ(
      Read(net,
           "<cpt id=\"a\" colour=\"red\"><state id=\"x\"/><state id=\"y\"/><extra><deep/></extra>"
           "<probabilities>0.5 0.5</probabilities></cpt>"),
      QDN_NO_ERROR);
  EXPECT_TRUE(LogContains("Warning: Ignored unknown element 'extra' at "));
  EXPECT_FALSE(LogContains("'deep'"));
  EXPECT_TRUE(LogContains("Warning: Ignored unknown attribute 'colour' in 'cpt' at "));
  EXPECT_TRUE(LogContains("File contains unknown elements and/or attributes. Please download"));
  EXPECT_EQ(net.GetNumberOfNodes(), 1);
}

TEST(XqdnFormatTest, CostsEquationsAndProperties) {
  QDN_network net;
  ASSERT_EQ(Read(net,
                 std::string(kTwoNodes) +
                     "<equation id=\"e\"><definition>e = 2</definition></equation>"
                     "<equation id=\"f\"><parents>e</parents><definition>f = e * 3</definition>"
                     "<property id=\"unit\">m\\ns</property></equation>",
                 "<observationcost><node id=\"b\"><parents>a</parents><cost>1.5 "
                 "n/a</cost></node></observationcost>"),
            QDN_NO_ERROR);
  const QDN_costDefinition& cost = net.GetNode(net.FindNode("b"))->GetCost();
  ASSERT_EQ(cost.GetCosts().GetSize(), 2);
  EXPECT_EQ(cost.GetCosts().GetItems().At(1), kNotApplicableValue);
  const QDN_node& f = *net.GetNode(net.FindNode("f"));
  EXPECT_EQ(static_cast<const QDN_equation*>(f.GetDefinition())->GetEquation(), "f = e * 3");
  EXPECT_STREQ(f.GetInfo().properties.GetValue(0), "m\ns");

  // Bytes above 127 go out as they are (the file is declared ISO-8859-1) and
  // come back unchanged; control characters XML cannot hold become "?".
  ASSERT_GE(net.GetNode(net.FindNode("a"))
                ->GetInfo()
                .properties.AddProperty("raw", "\x01"
                                               "caf\xC3\xA9\xFF"),
            0);

  // What the writer produces reads back to the same network, and writing
  // that again gives the same bytes.
  const std::string first = WriteTempFile("first.xqdn", ""),
                    second = WriteTempFile("second.xqdn", "");
  ASSERT_EQ(net.WriteFile(first.c_str(), 8), QDN_NO_ERROR);
  EXPECT_NE(ReadFileText(first).find("<cost>1.5 n/a</cost>"), std::string::npos);
  EXPECT_NE(ReadFileText(first).find("<property id=\"unit\">m\\ns</property>"), std::string::npos);
  QDN_network back;
  ASSERT_EQ(back.ReadFile(first.c_str(), 8, 0), QDN_NO_ERROR);
  ASSERT_EQ(back.WriteFile(second.c_str(), 8), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(first), ReadFileText(second));
  EXPECT_STREQ(back.GetNode(back.FindNode("a"))->GetInfo().properties.GetValue(0),
               "?caf\xC3\xA9\xFF");
}

TEST(XqdnFormatTest, PresentationExtension) {
  QDN_network net;
  EXPECT_EQ(Read(net, kTwoNodes, Norix("<node id=\"zz\"/>")), QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Node 'zz' doesn't exist in BRIMA network"));
  const std::string node_a =
      "<node id=\"a\"><name>A node</name><interior color=\"ff0000\"/><outline color=\"00ff00\" "
      "width=\"2\"/>"
      "<font name=\"f\" size=\"8\" color=\"000000\"/><position>0 0 40 20</position>";
  EXPECT_EQ(Read(net, kTwoNodes, Norix(node_a + "</node>" + node_a + "</node>")),
            QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Duplicate node id: 'a'"));
  EXPECT_EQ(Read(net, kTwoNodes, Norix("", "version=\"1\" name=\"N\" faultnameformat=\"inherit\"")),
            QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Inherited fault name format not allowed here"));
  EXPECT_EQ(Read(net, kTwoNodes, Norix(node_a + "<state id=\"nope\" globalid=\"\"/></node>")),
            QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("Invalid state id: 'nope'"));

  const std::string body =
      "<comment>Root\\ncomment</comment>"
      "<submodel id=\"S\"><name>Sub</name><interior color=\"ffffff\"/><outline color=\"000000\"/>"
      "<font name=\"f\" size=\"8\" color=\"000000\"/><position>10 10 110 60</position>" +
      node_a +
      "<state id=\"x\" globalid=\"X1\" faultname=\"&amp;node broken\"><link title=\"T\" "
      "path=\"p\"/>"
      "<fix>Replace</fix></state><question>Is it?</question></node>"
      "<textbox><caption>Note</caption><position>0 0 10 10</position>"
      "<font name=\"f\" size=\"10\" color=\"000000\" bold=\"true\"/></textbox></submodel>";
  ASSERT_EQ(
      Read(net, kTwoNodes, Norix(body, "version=\"1\" name=\"Net\" faultnameformat=\"state\"")),
      QDN_NO_ERROR);
  const QDN_node& a = *net.GetNode(net.FindNode("a"));
  const int sub = net.GetSubmodels().FindSubmodel("S");
  ASSERT_GE(sub, 0);
  EXPECT_EQ(a.GetSubmodel(), sub);
  EXPECT_STREQ(a.GetInfo().header.GetName(), "A node");
  EXPECT_EQ(a.GetInfo().screen.color, 0x0000ff);
  EXPECT_EQ(a.GetInfo().screen.border_thickness, 2);
  EXPECT_EQ(a.GetInfo().screen.position.x0, 20);
  EXPECT_EQ(a.GetInfo().screen.position.x1, 40);
  EXPECT_EQ(net.GetFaultNameFormat(), 2);
  EXPECT_EQ(a.GetExtraDefinition()->GetOutcome(0).fault_label, "X1");
  EXPECT_EQ(a.GetExtraDefinition()->GetOutcome(0).repair_info, "Replace");
  EXPECT_EQ(a.GetExtraDefinition()->question, "Is it?");
  EXPECT_EQ(net.GetSubmodels().GetSubmodel(sub)->screen_comments.size(), 1u);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetComment(),
               "Root\ncomment");
}

TEST(XqdnFormatTest, NativeTextRoundTripKeepsEverythingBothCarry) {
  QDN_RegisterFormats();
  QDN_network net;
  ASSERT_EQ(net.ReadFile(
                (std::string(CALLBRIMA_SOURCE_DIR) + "/fuzz/corpus/native/rich.qdn").c_str(), 4, 0),
            QDN_NO_ERROR);
  const std::string path = WriteTempFile("rich.xqdn", "");
  ASSERT_EQ(net.WriteFile(path.c_str(), 8), QDN_NO_ERROR);
  QDN_network back;
  ASSERT_EQ(back.ReadFile(path.c_str(), 8, 0), QDN_NO_ERROR);
  EXPECT_EQ(NativeText(back), NativeText(net));
}
