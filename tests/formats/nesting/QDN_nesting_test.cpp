// Every reader meets input nested two megabytes deep where its format nests
// (tables, blocks, elements, equations). The readers that follow nesting by
// recursion refuse it beyond their limit with a message; the others skip it.
// No reader may run off the stack.
#include <gtest/gtest.h>

#include <string>

#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

constexpr size_t kDeep = 2 << 20; // bytes of nesting

struct NestingCase {
  const char* name;
  int format;
  const char* before; // the file up to where the nesting starts
  const char* unit;   // repeated to kDeep bytes
  const char* after;
  const char* message; // logged; null: any failure or message will do
};

const NestingCase kCases[] = {
    {"HuginTable", QDN_FORMAT_HUGIN,
     "net { }\nnode a { states = (\"x\" \"y\"); }\npotential (a) { data = ", "(", "",
     "Table nested too deeply"},
    {"HuginBlock", QDN_FORMAT_HUGIN, "net { }\nnode a { label = ", "{", "", nullptr},
    {"NeticaProbabilities", QDN_FORMAT_NETICA,
     "bnet n {\nnode a {\n kind = NATURE;\n discrete = TRUE;\n states = (x, y);\n probs = ", "(",
     "", "Table nested too deeply"},
    {"NeticaFunctionTable", QDN_FORMAT_NETICA,
     "bnet n {\nnode a {\n kind = NATURE;\n discrete = TRUE;\n chance = DETERMIN;\n"
     " states = (x, y);\n functable = ",
     "(", "", "Table nested too deeply"},
    {"NeticaBlock", QDN_FORMAT_NETICA, "bnet n {\nnode a {\n visual V1 ", "{", "", nullptr},
    {"NativeEquation", QDN_FORMAT_QDN,
     "net n {\nnode v {\n TYPE = EQUATION;\n DEFINITION = {\n  EQUATION = \"v = ", "(",
     "1\";\n };\n};\n};\n", "Equation side is longer than 1020 characters"},
    {"NativeBlock", QDN_FORMAT_QDN, "net n {\nnode v {\n TYPE = CPT;\n UNKNOWN = ", "{", "",
     nullptr},
    {"NativeXmlEquation", QDN_FORMAT_XQDN,
     "<?xml version=\"1.0\"?>\n<brima version=\"1.0\" id=\"n\"><nodes><equation "
     "id=\"v\"><definition>v = ",
     "(", "1</definition></equation></nodes></brima>\n",
     "Equation side is longer than 1020 characters"},
    {"NativeXmlElements", QDN_FORMAT_XQDN,
     "<?xml version=\"1.0\"?>\n<brima version=\"1.0\" id=\"n\"><nodes>", "<a>", "", nullptr},
    {"XmlbifElements", QDN_FORMAT_XMLBIF,
     "<?xml version=\"1.0\"?>\n<BIF VERSION=\"0.3\"><NETWORK><NAME>n</NAME>", "<a>", "", nullptr},
    {"BifBlock", QDN_FORMAT_BIF, "network n {\n}\nvariable a ", "{", "", nullptr},
    {"BifProbabilities", QDN_FORMAT_BIF,
     "network n {\n}\nvariable a {\n type discrete [2] { y, n };\n}\nprobability ( a ) { table ",
     "(", "", nullptr},
    {"MsbnBlock", QDN_FORMAT_MSBN, "belief network \"n\"\nnode A ", "{", "", nullptr},
    {"KiBlock", QDN_FORMAT_KI, "diagnostic network \"n\" kb ", "{", "", nullptr},
    {"KiProbabilities", QDN_FORMAT_KI,
     "diagnostic network \"n\" kb { }; nodes { standard a { type : discrete [2] = 2 states { }; "
     "}; };\nnetwork { standard a parent ( ) { PROB : { ",
     "(", "", nullptr},
    {"Ergo", QDN_FORMAT_ERGO, "2\n\n2 2\n\n", "(", "", nullptr},
};

std::string DeepFile(const NestingCase& c) {
  std::string text = c.before;
  const std::string unit = c.unit;
  text.reserve(text.size() + kDeep + unit.size());
  while (text.size() < kDeep)
    text += unit;
  return text + c.after;
}

void PrintTo(const NestingCase& c, std::ostream* out) { *out << c.name; }

class NestingTest : public ::testing::TestWithParam<NestingCase> {};

TEST_P(NestingTest, DeepInputIsRefusedOrSkippedWithAMessage) {
  QDN_RegisterFormats();
  const NestingCase& c = GetParam();
  const std::string path = WriteTempFile(std::string("deep-") + c.name, DeepFile(c));
  ClearLog();
  QDN_network net;
  const int status = net.ReadFile(path.c_str(), c.format, 0);
  EXPECT_TRUE(status < 0 || LoggedCount() > 0) << "read " << status << " without a message";
  if (c.message) {
    EXPECT_TRUE(LogContains(c.message)) << "expected \"" << c.message << "\"";
  }
  ClearLog();
}

std::string CaseName(const ::testing::TestParamInfo<NestingCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Readers, NestingTest, ::testing::ValuesIn(kCases), CaseName);

// An equation short enough for the length limit may still open more groups
// than the parser's depth limit: refused with its own message.
TEST(NestingTest, EquationsNestedPastTheDepthLimitAreRefused) {
  QDN_RegisterFormats();
  const std::string equation = "v = " + std::string(600, '(') + "1" + std::string(400, ')');
  const std::string native =
      "net n {\nnode v {\n TYPE = EQUATION;\n DEFINITION = {\n  EQUATION = \"" + equation +
      "\";\n };\n};\n};\n";
  const std::string xml = "<?xml version=\"1.0\"?>\n<brima version=\"1.0\" id=\"n\"><nodes>"
                          "<equation id=\"v\"><definition>" +
                          equation + "</definition></equation></nodes></brima>\n";
  for (const auto& [format, text] :
       {std::pair{QDN_FORMAT_QDN, native}, std::pair{QDN_FORMAT_XQDN, xml}}) {
    SCOPED_TRACE(format);
    ClearLog();
    QDN_network net;
    (void)net.ReadFile(WriteTempFile("nested-equation", text).c_str(), format, 0);
    EXPECT_TRUE(LogContains("Equation nested too deeply"));
  }
  ClearLog();
}

} // namespace
