// A number too large for a double would be stored as an infinity, which
// normalizing turns into NaN and no writer can write back: every text reader
// refuses it with a message naming the number and its line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

struct Case {
  int format;
  const char* name;
  const char* text;
};

// Node a's table holds 1e999 on line 3.
const Case kCases[] = {
    {QDN_FORMAT_HUGIN, "big.net",
     "net { }\nnode a { states = (\"x\" \"y\"); }\npotential (a) { data = (1e999 0.5); }\n"},
    {QDN_FORMAT_NETICA, "big.dne",
     "bnet n {\nnode a { kind = NATURE; discrete = TRUE; states = (x, y); parents = ();\n"
     "  probs = (1e999, 0.5); };\n};\n"},
    {QDN_FORMAT_MSBN, "big.dsc",
     "belief network \"n\"\nnode a { type : discrete [ 2 ] = { \"x\", \"y\" }; }\n"
     "probability (a) { 1e999, 0.5; }\n"},
    {QDN_FORMAT_QDN, "big.qdn",
     "net n {\n node a { TYPE = CPT; DEFINITION = { NAMESTATES = (x, y);\n"
     "  PROBABILITIES = (1e999, 0.5); }; };\n};\n"},
};

} // namespace

TEST(NumberRangeTest, NumbersTooLargeForADoubleAreRefusedInEveryTextFormat) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    QDN_network net;
    (void)net.ReadFile(WriteTempFile(c.name, c.text).c_str(), c.format, 0);
    EXPECT_TRUE(LogContains("(line 3) : ERROR: '1e999' : Number out of range"));
    // Whatever the reader kept of node a holds no infinity or NaN.
    const int a = net.FindNode("a");
    if (a < 0) continue;
    const QDN_Dmatrix* table = net.GetNode(a)->GetDefinition()->GetTable();
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < table->GetSize(); ++i)
      EXPECT_TRUE(std::isfinite(table->GetItems().Data()[i])) << i;
  }
}
