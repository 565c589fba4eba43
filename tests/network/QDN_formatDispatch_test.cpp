#include "network/QDN_formatDispatch.h"

#include <gtest/gtest.h>

#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

TEST(FormatDispatchTest, ExtensionsMatchWholeAndCaseBlind) {
  struct Case {
    const char* name;
    int format;
  };
  for (const Case& c :
       {Case{"Model.QDN", 4}, Case{"x.XQDN", 8}, Case{"a.xml03", 6}, Case{"a.erg", 1},
        Case{"a.dne", 2}, Case{"a.DSC", 3}, Case{"a.b.net", 5}, Case{"k.dxp", 7},
        Case{"alarm.bif", 9}, Case{"ALARM.BIF", 9}, Case{"a.xml", -2}, Case{"noext", -2},
        Case{"end.", -2}, Case{"a.qdnx", -2}, Case{"a.qd", -2}, Case{"dir.qdn/file", -2}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatFromExtension(c.name), c.format);
  }
  EXPECT_EQ(FormatFromExtension(nullptr), QDN_OUT_OF_RANGE);
}

TEST(FormatDispatchTest, UnknownFormatsAreLoggedAndLeaveTheNetwork) {
  QDN_network net;
  ClearLog();
  EXPECT_EQ(net.ReadFile(TempPath("a.txt").c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
  EXPECT_EQ(net.ReadFile(TempPath("a.qdn").c_str(), 10, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetChangeNotificationMask(), QDN_network::kDefaultNotificationMask);
  ClearLog();
  EXPECT_EQ(net.WriteFile(TempPath("a.dxp").c_str(), 7), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Writing to KI file format not supported."));
}

// The network layer knows a format only through its entry in the table.
TEST(FormatDispatchTest, AFormatIsKnownOnlyWhileRegistered) {
  QDN_RegisterFormats();
  ASSERT_NE(QDN_FindFormat(QDN_FORMAT_XQDN), nullptr);
  ASSERT_TRUE(QDN_RegisterFormat(QDN_FORMAT_XQDN, {}));
  EXPECT_EQ(QDN_FindFormat(QDN_FORMAT_XQDN), nullptr);
  EXPECT_EQ(FormatFromExtension("a.xqdn"), QDN_OUT_OF_RANGE);
  EXPECT_STREQ(FormatName(QDN_FORMAT_XQDN), "unknown");
  QDN_network net;
  ClearLog();
  EXPECT_EQ(net.ReadFile(TempPath("a.xqdn").c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
  ClearLog();
  EXPECT_EQ(net.WriteFile(TempPath("b.xqdn").c_str(), QDN_FORMAT_XQDN), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
  // Numbers outside the table are refused; registering again restores the format.
  EXPECT_FALSE(QDN_RegisterFormat(0, {"x", "x", nullptr}));
  EXPECT_FALSE(QDN_RegisterFormat(10, {"x", "x", nullptr}));
  EXPECT_EQ(QDN_FindFormat(10), nullptr);
  QDN_RegisterFormats();
  EXPECT_EQ(FormatFromExtension("a.xqdn"), QDN_FORMAT_XQDN);
  EXPECT_STREQ(FormatName(QDN_FORMAT_XQDN), "native XML");
}

TEST(FormatDispatchTest, FirstBytesShowTheFormat) {
  struct Case {
    const char* head;
    int format;
  };
  for (const Case& c : {
           Case{"// ~->[DNET-1]->~\n\nbnet Asia {\n", 2},
           Case{"// ~->[DNET-1]->~\r\r// File created\rbnet GeometricPM {\r", 2},
           Case{"\xEF\xBB\xBFnet Asia\n{\n  HEADER = {", 4},
           Case{"% written by hand\nnet\n{\n  node_size = (80 40);", 5},
           Case{"<?XML VERSION=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE BIF [\n <!ELEMENT BIF ( NETWORK "
                ")*>\n"
                "]>\n<BIF VERSION=\"0.3\">",
                6},
           Case{"<?xml version=\"1.0\"?>\n<brima version=\"1.0\" id=\"n\">", 8},
           Case{"diagnostic network \"Pump\"\nkb {\n", 7},
           Case{"diagnostic network \"\"\nnode A\n{", 3},
           Case{"belief network \"n\"\n", 3},
           Case{"/* nodes */ 8\n\n2\t2\t2", 1},
           Case{"net", -2},
           Case{"// from a tool\nnetwork Pig-Network {\n", 9},
           Case{"network \"Dog Problem\" { //5 variables", 9},
           Case{"network x", -2},
           Case{"network {\n}\nvariable a {", 9},
           Case{"/* no network block */\nvariable bowel-problem {\n  type discrete", 9},
           Case{"variable \"Visit Asia\" { //2 values", 9},
           Case{"variable x = 3;", -2},
           Case{"<html><body>", -2},
           Case{"not a model", -2},
           Case{"", -2},
       }) {
    SCOPED_TRACE(c.head);
    EXPECT_EQ(FormatFromText(c.head), c.format);
  }
  EXPECT_EQ(FormatFromContent(TempPath("missing.model").c_str()), QDN_OUT_OF_RANGE);
  EXPECT_STREQ(FormatName(2), "Netica");
  EXPECT_STREQ(FormatName(0), "unknown");
}

TEST(FormatDispatchTest, ReadsWithoutARegisteredExtensionUseTheFirstBytes) {
  QDN_network net;
  const std::string dnet = WriteTempFile(
      "model.dnet", "// ~->[DNET-1]->~\nbnet n {\n node a {\n  kind = NATURE;\n  discrete = TRUE;\n"
                    "  states = (x, y);\n  parents = ();\n  probs = (0.2, 0.8);\n };\n};\n");
  ClearLog();
  ASSERT_EQ(net.ReadFile(dnet.c_str(), 0, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 1);
  EXPECT_EQ(LoggedCount(), 0u);
  // An explicit number still wins, and writes never guess.
  EXPECT_EQ(net.ReadFile(dnet.c_str(), 4, 0), QDN_NO_ERROR);
  EXPECT_EQ(net.GetNumberOfNodes(), 0);
  EXPECT_EQ(net.WriteFile(TempPath("out.bifxml").c_str(), 0), QDN_OUT_OF_RANGE);
  // A name the extension says nothing about and contents of no format.
  const std::string text = WriteTempFile("notes.txt", "shopping list");
  ClearLog();
  EXPECT_EQ(net.ReadFile(text.c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
}
