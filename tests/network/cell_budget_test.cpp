// Size bombs: small files of every format that declare tables of hundreds
// of millions of cells are refused before the tables are allocated.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

constexpr int kStates = 600;

// "s0<sep>s1<sep>..." with each name framed by quote.
std::string States(const char* separator, const char* quote = "") {
  std::string out;
  for (int i = 0; i < kStates; ++i)
    out += (i ? separator : "") + std::string(quote) + "s" + std::to_string(i) + quote;
  return out;
}

// Three 600-state nodes a, b, c; c's table over a and b would hold 216,000,000 cells.
std::string Bomb(const std::string& extension) {
  std::string text;
  if (extension == "net") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("node ") + n + "\n{\n  states = (" + States(" ", "\"") + ");\n}\n";
    return "net\n{\n}\n" + text + "potential (c | a b)\n{\n}\n";
  }
  if (extension == "qdn") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("node ") + n + " { TYPE = CPT; " +
              (n[0] == 'c' ? "PARENTS = (a, b); " : "") + "DEFINITION = { NAMESTATES = (" +
              States(", ") + "); }; };\n";
    return "net bomb {\n" + text + "};\n";
  }
  if (extension == "dne") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("node ") + n + " { kind = NATURE; discrete = TRUE; states = (" +
              States(", ") + "); parents = (" + (n[0] == 'c' ? "a, b" : "") + "); };\n";
    return "bnet bomb {\n" + text + "};\n";
  }
  if (extension == "dsc") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("node ") + n + " {\n  type : discrete [ 600 ] = { " + States(", ", "\"") +
              " };\n}\n";
    return "belief network \"bomb\"\n" + text + "probability ( c | a, b ) {\n}\n";
  }
  if (extension == "bif") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("variable ") + n + " {\n  type discrete [ 600 ] { " + States(", ") +
              " };\n}\n";
    return "network bomb {\n}\n" + text + "probability ( c | a, b ) {\n}\n";
  }
  if (extension == "erg") return "3\n\n600\t600\t600\n\n0\n0\n2\t1\t2\n\n";
  if (extension == "dxp") {
    // The KI reader takes states one by one: four 100-state nodes keep the
    // file quick to read; d's table over a, b and c would hold 10^8 cells.
    std::string states;
    for (int i = 0; i < 100; ++i)
      states += "      standard state { NAME : \"s" + std::to_string(i) + "\"; };\n";
    for (const char* n : {"a", "b", "c", "d"})
      text += std::string("  standard ") + n + " {\n    type : discrete [100] = 100 states {\n" +
              states + "    };\n  };\n";
    return "diagnostic network \"bomb\"\nkb {\n};\nnodes {\n" + text +
           "};\nnetwork {\n  standard d parent (a, b, c) {\n    PROB : {\n    };\n  };\n};\n";
  }
  if (extension == "xml03") {
    for (const char* n : {"a", "b", "c"})
      text += std::string("<VARIABLE TYPE=\"nature\"><NAME>") + n + "</NAME><OUTCOME>" +
              States("</OUTCOME><OUTCOME>") + "</OUTCOME></VARIABLE>\n";
    return "<?xml version=\"1.0\"?>\n<BIF VERSION=\"0.3\"><NETWORK><NAME>bomb</NAME>\n" + text +
           "<DEFINITION><FOR>c</FOR><GIVEN>a</GIVEN><GIVEN>b</GIVEN><TABLE></TABLE>"
           "</DEFINITION>\n</NETWORK></BIF>\n";
  }
  // Native XML.
  std::string uniform = "1";
  for (int i = 1; i < kStates; ++i)
    uniform += " 0";
  for (const char* n : {"a", "b", "c"})
    text +=
        std::string("<cpt id=\"") + n + "\"><state id=\"" + States("\" /><state id=\"") + "\" />" +
        (n[0] == 'c' ? "<parents>a b</parents><probabilities>0.5" : "<probabilities>" + uniform) +
        "</probabilities></cpt>\n";
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<brima version=\"1.0\" id=\"bomb\">\n"
         "<nodes>\n" +
         text + "</nodes>\n</brima>\n";
}

long PeakKilobytes() {
  rusage usage{};
  (void)getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

} // namespace

TEST(CellBudgetTest, SizeBombOfEveryFormatIsRefusedBeforeAllocating) {
  QDN_RegisterFormats();
  for (const std::string extension :
       {"net", "qdn", "dne", "dsc", "erg", "dxp", "xml03", "xqdn", "bif"}) {
    SCOPED_TRACE(extension);
    const std::string path = WriteTempFile("bomb." + extension, Bomb(extension));
    const long before = PeakKilobytes();
    ClearLog();
    QDN_network network;
    const int status = network.ReadFile(path.c_str(), 0, 0);
    // The refused table (1.7 GB of doubles) was never allocated.
    EXPECT_LT(PeakKilobytes() - before, 100 * 1024);
    if (extension == "bif") {
      // The BIF reader refuses such a table itself, before asking for it.
      EXPECT_TRUE(LogContains("more than the file could fill"));
      continue;
    }
    EXPECT_EQ(status, QDN_CELL_BUDGET_EXCEEDED);
    const bool ki = extension == "dxp";
    const char* node = extension == "erg" ? "node 'Node2'" : ki ? "node 'd'" : "node 'c'";
    EXPECT_TRUE(LogContains(std::string("Table cell budget exceeded: ") + node +
                            " needs a table of " + (ki ? "100000000" : "216000000") + " cells"));
    EXPECT_TRUE(LogContains("the budget is 16777216 cells"));
  }
}

TEST(CellBudgetTest, ARaisedBudgetLetsALargeTableThrough) {
  // 100 x 100 x 100 cells: over a budget of 10^5, under one of 2 x 10^6.
  std::string text = "3\n\n100\t100\t100\n\n0\n0\n2\t1\t2\n\n";
  const std::string path = WriteTempFile("large.erg", text);
  QDN_network network;
  ::setenv("CALLBRIMA_MAX_CELLS", "100000", 1);
  EXPECT_EQ(network.ReadFile(path.c_str(), 0, 0), QDN_CELL_BUDGET_EXCEEDED);
  ::setenv("CALLBRIMA_MAX_CELLS", "2000000", 1);
  EXPECT_NE(network.ReadFile(path.c_str(), 0, 0), QDN_CELL_BUDGET_EXCEEDED);
  ::unsetenv("CALLBRIMA_MAX_CELLS");
}
