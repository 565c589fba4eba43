#include "formats/xmlbif/QDN_xmlbifFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

int Read(QDN_network& net, std::string_view body, std::string_view version = "0.3") {
  ClearLog();
  std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE BIF [ <!ELEMENT BIF ( NETWORK )*> ]>\n";
  text.append("<BIF VERSION=\"").append(version).append("\">\n").append(body).append("</BIF>\n");
  return net.ReadFile(WriteTempFile("read.xml03", text).c_str(), 6, 0);
}

} // namespace

TEST(XmlbifFormatTest, VersionTypesAndTexts) {
  QDN_network net;
  EXPECT_EQ(Read(net, "<NETWORK/>", "0.2"), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("ERROR: Incorrect BIF Version"));
  EXPECT_EQ(Read(net, "<NETWORK/>", "0."), QDN_NO_ERROR);
  ASSERT_EQ(Read(net, R"(<NETWORK><NAME>my net</NAME>
<!-- a comment --><EXTENSION><anything>at all</anything></EXTENSION>
<VARIABLE TYPE="nature"><NAME>bowel-problem</NAME><OUTCOME>1</OUTCOME><OUTCOME>1</OUTCOME>
  <OUTCOME>[1;1.4[</OUTCOME><PROPERTY>position = (1, 2)</PROPERTY></VARIABLE>
<VARIABLE><NAME>plain</NAME><OUTCOME>yes</OUTCOME><OUTCOME>no</OUTCOME></VARIABLE>
<VARIABLE TYPE="d"><NAME>act</NAME><OUTCOME>go</OUTCOME><OUTCOME>stay</OUTCOME></VARIABLE>
<VARIABLE TYPE="weird"><NAME>w</NAME></VARIABLE>
<DEFINITION><FOR>plain</FOR><GIVEN>bowel-problem</GIVEN><TABLE>0.1 0.9 0.2 0.8 0.3</TABLE></DEFINITION>
<DEFINITION><FOR>bowel-problem</FOR><TABLE> 0.2 0.3
 0.5 </TABLE></DEFINITION>
</NETWORK>)"),
            QDN_NO_ERROR);
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetName(), "my net");
  EXPECT_STREQ(net.GetSubmodels().GetSubmodel(16384)->header.GetId(), "my_net");
  const int bowel = net.FindNode("bowel_problem");
  ASSERT_GE(bowel, 0);
  EXPECT_STREQ(net.GetNode(bowel)->GetName(), "bowel-problem");
  EXPECT_EQ(OutcomesOf(net, "bowel_problem"), (std::vector<std::string>{"x1", "x10", "x_1_1_4_"}));
  EXPECT_EQ(net.GetNode(net.FindNode("plain"))->GetDefinition()->GetType(), QDN_CPT);
  EXPECT_EQ(net.GetNode(net.FindNode("act"))->GetDefinition()->GetType(), QDN_LIST);
  EXPECT_TRUE(LogContains("ERROR: weird : Unknown node type"));
  EXPECT_EQ(net.FindNode("w"), QDN_OUT_OF_RANGE);
  // A short table leaves the default table; the GIVEN arc is still added.
  EXPECT_EQ(net.GetNumberOfParents(net.FindNode("plain"), 0), 1);
  EXPECT_TRUE(LogContains("ERROR: Node [plain] was expecting 6 numbers but 5 were read"));
  EXPECT_EQ(net.GetNode(bowel)->GetDefinition()->GetTable()->At(2), 0.5);
}

TEST(XmlbifFormatTest, MisplacedAndMissing) {
  QDN_network net;
  ClearLog();
  EXPECT_EQ(net.ReadFile(WriteTempFile("none.xml03", "<?xml version=\"1.0\"?><X/>").c_str(), 6, 0),
            QDN_NO_MORE_TOKENS);
  EXPECT_TRUE(LogContains("ERROR: [BIF] : Tag Not found"));
  EXPECT_EQ(Read(net, "<VARIABLE/>"), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("ERROR: 'VARIABLE' : Misplaced statement"));
  EXPECT_EQ(Read(net, "<NETWORK><VARIABLE TYPE=\"nature\"><NAME>a</NAME"), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("unexpected character in tag <NAME"));
  // A malformed tag before the BIF element ends the read instead of being
  // scanned again forever.
  EXPECT_EQ(
      net.ReadFile(
          WriteTempFile("bad.xml03", "<?xml version=\"1.0\"?><a $><BIF VERSION=\"0.3\"/>").c_str(),
          6, 0),
      QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("unexpected character in tag <a"));
}

TEST(XmlbifFormatTest, WriterHeaderAndEscaping) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(<NETWORK><NAME>n</NAME>
<VARIABLE TYPE="nature"><NAME>a</NAME><OUTCOME>x &amp; y</OUTCOME><OUTCOME>&lt;z&gt;</OUTCOME></VARIABLE>
</NETWORK>)"),
            QDN_NO_ERROR);
  const std::string path = TempPath("written.xml03");
  ASSERT_EQ(net.WriteFile(path.c_str(), 6), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n\n\n<!--\n", 0), 0u);
  EXPECT_NE(text.find("<BIF VERSION=\"0.3\">\n<NETWORK>\n <NAME>n</NAME>\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("<OUTCOME>x &amp; y</OUTCOME>"), std::string::npos);
  QDN_network again;
  ASSERT_EQ(again.ReadFile(path.c_str(), 6, 0), QDN_NO_ERROR);
  EXPECT_EQ(OutcomesOf(again, "a"), OutcomesOf(net, "a"));
}

TEST(XmlbifFormatTest, OldUpperCaseHeaderStillReads) {
  QDN_network net;
  const std::string path = WriteTempFile("old.xml03", R"(<?XML VERSION="1.0"?>
<!DOCTYPE BIF [
	      <!ATTLIST VARIABLE TYPE (chance|decision|utility) chance>
]>
<BIF VERSION="0.3"><NETWORK><NAME>n</NAME>
<VARIABLE TYPE="chance"><NAME>a</NAME><OUTCOME>x</OUTCOME><OUTCOME>y</OUTCOME></VARIABLE>
</NETWORK></BIF>
)");
  ClearLog();
  ASSERT_EQ(net.ReadFile(path.c_str(), 6, 0), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  EXPECT_EQ(OutcomesOf(net, "a"), (std::vector<std::string>{"x", "y"}));
}

TEST(XmlbifFormatTest, OriginalOutcomeTextsOnlyWhereTheyReadBack) {
  QDN_network net;
  ASSERT_EQ(Read(net, R"(<NETWORK><NAME>n</NAME>
<VARIABLE TYPE="nature"><NAME>a</NAME><OUTCOME>low value</OUTCOME><OUTCOME>x?</OUTCOME></VARIABLE>
<VARIABLE TYPE="nature"><NAME>b</NAME><OUTCOME>same</OUTCOME><OUTCOME>same</OUTCOME></VARIABLE>
</NETWORK>)"),
            QDN_NO_ERROR);
  const std::string path = TempPath("originals.xml03");
  ASSERT_EQ(net.WriteFile(path.c_str(), 6), QDN_NO_ERROR);
  std::string text = ReadFileText(path);
  EXPECT_NE(text.find("<OUTCOME>low value</OUTCOME>"), std::string::npos);
  EXPECT_NE(text.find("<OUTCOME>x?</OUTCOME>"), std::string::npos);
  EXPECT_NE(text.find("<OUTCOME>same0</OUTCOME>"), std::string::npos); // never twice "same"
  // A text the reader would not make the identifier from again, or one XML
  // does not carry (a control character), goes out as the identifier.
  QDN_node& a = *net.GetNode(net.FindNode("a"));
  a.GetExtraDefinition()->GetOutcome(0).long_name = "Low value";
  a.GetExtraDefinition()->GetOutcome(1).long_name = "x\x01";
  ASSERT_EQ(net.WriteFile(path.c_str(), 6), QDN_NO_ERROR);
  text = ReadFileText(path);
  EXPECT_NE(text.find("<OUTCOME>low_value</OUTCOME>"), std::string::npos);
  EXPECT_NE(text.find("<OUTCOME>x_</OUTCOME>"), std::string::npos);
}

TEST(XmlbifFormatTest, NetworksWithMauOrEquationNodesAreRefused) {
  const std::string samples = std::string(CALLBRIMA_SOURCE_DIR) + "/fuzz/corpus/native/";
  for (const char* file : {"rich.qdn", "equations.qdn"}) {
    SCOPED_TRACE(file);
    QDN_network net;
    ASSERT_EQ(net.ReadFile((samples + file).c_str(), 4, 0), QDN_NO_ERROR);
    const std::string path = TempPath("refused.xml03");
    std::remove(path.c_str());
    ClearLog();
    EXPECT_EQ(net.WriteFile(path.c_str(), 6), QDN_OUT_OF_RANGE);
    EXPECT_TRUE(LogContains("ERROR: This Network cannot be saved in XMLBIF format"));
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(XmlbifFormatTest, TruncatedFilesFailAndDuplicateNamesAreReported) {
  const std::string whole = "<?xml version=\"1.0\"?>\n<BIF VERSION=\"0.3\">\n<NETWORK>\n"
                            "<NAME>n</NAME>\n<VARIABLE TYPE=\"nature\">\n<NAME>a</NAME>\n"
                            "<OUTCOME>x</OUTCOME><OUTCOME>y</OUTCOME>\n</VARIABLE>\n"
                            "<DEFINITION>\n<FOR>a</FOR>\n<TABLE>0.2 0.8</TABLE>\n</DEFINITION>\n"
                            "</NETWORK>\n</BIF>\n";
  QDN_network net;
  ClearLog();
  ASSERT_EQ(net.ReadFile(WriteTempFile("whole.xml03", whole).c_str(), 6, 0), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  // The end of the input is no closing tag, wherever the file stops.
  for (const char* end : {"</DEFINITION>", "</NETWORK>", "</BIF>"}) {
    SCOPED_TRACE(end);
    ClearLog();
    const std::string cut = whole.substr(0, whole.find(end));
    EXPECT_EQ(net.ReadFile(WriteTempFile("cut.xml03", cut).c_str(), 6, 0), QDN_SYNTAX_ERROR);
    EXPECT_TRUE(LogContains(std::string("ERROR: End of File : Expecting '") + end));
  }
  ClearLog();
  const std::string inside_table = whole.substr(0, whole.find(" 0.8"));
  EXPECT_EQ(net.ReadFile(WriteTempFile("cut.xml03", inside_table).c_str(), 6, 0), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("(line 11) : ERROR: End of File : Expecting '</TABLE>'"));

  ASSERT_EQ(Read(net, "<NETWORK><NAME>n</NAME>\n"
                      "<VARIABLE TYPE=\"nature\"><NAME>a</NAME></VARIABLE>\n"
                      "<VARIABLE TYPE=\"nature\"><NAME>a</NAME></VARIABLE>\n</NETWORK>\n"),
            QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 2);
  EXPECT_TRUE(LogContains("(line 6) : ERROR: Variable name [a] used twice; the second variable is "
                          "renamed [a0]"));
}

TEST(XmlbifFormatTest, LongTablesReadAcrossBlocksAndTheirBadWordIsReportedAtTheEnd) {
  // 8 parents of three states: 19,683 numbers, far more than one block.
  std::string body = "<NETWORK><NAME>n</NAME>\n";
  for (int i = 0; i <= 8; ++i)
    body += "<VARIABLE><NAME>v" + std::to_string(i) +
            "</NAME><OUTCOME>a</OUTCOME><OUTCOME>b</OUTCOME><OUTCOME>c</OUTCOME></VARIABLE>\n";
  body += "<DEFINITION><FOR>v8</FOR>";
  for (int i = 0; i < 8; ++i)
    body += "<GIVEN>v" + std::to_string(i) + "</GIVEN>";
  body += "<TABLE>";
  std::string plain, marked;
  std::vector<double> expected;
  for (int i = 0; i < 6561; ++i) {
    const double cells[] = {0.125 + i % 7 * 0.0625, 0.5, 0.375 - i % 7 * 0.0625};
    for (int k = 0; k < 3; ++k) {
      const std::string text = std::to_string(cells[k]).append(i % 2 ? ",\r\n" : " ");
      plain += text;
      // References and markup inside the table join their texts as written.
      marked += i == 1400 && k == 2 ? "&#x30;<X/>.&#x33;&#55;5&#x20;" : text;
      expected.push_back(cells[k]);
    }
  }
  QDN_network net;
  ASSERT_EQ(Read(net, body + marked + "</TABLE></DEFINITION>\n</NETWORK>\n"), QDN_NO_ERROR);
  EXPECT_EQ(LoggedCount(), 0u);
  const QDN_Dmatrix& read = *net.GetNode(net.FindNode("v8"))->GetDefinition()->GetTable();
  ASSERT_EQ(read.GetSize(), 19683);
  for (int i = 0; i < read.GetSize(); ++i)
    ASSERT_EQ(read.At(i), expected[static_cast<size_t>(i)]) << i;

  // A word that is no number stops the table; it is reported with the line
  // of the table's end, and the table is left out.
  const size_t cut = plain.find(' ', 50000) + 1;
  const std::string bad = plain.substr(0, cut) + "abc\n" + plain.substr(cut) + "\n</TABLE>";
  ASSERT_EQ(Read(net, body + bad + "</DEFINITION></NETWORK>\n"), QDN_NO_ERROR);
  const long line = 14 + std::count(bad.begin(), bad.end(), '\n');
  EXPECT_TRUE(
      LogContains("(line " + std::to_string(line) + ") : ERROR: 'abc' : Real Number expected"));
  EXPECT_TRUE(LogContains("was expecting 19683 numbers but 5001 were read"));
}
