// The statement and list writers the text formats share, in each style.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "formats/text/QDN_textFormat.h"
#include "network/QDN_network.h"
#include "test_util.h"

namespace {

// Writes whatever body writes, in the given style, and returns the file's text.
class StyledFormat : public QDN_textFormat {
public:
  StyledFormat(QDN_network* net, StatementStyle style) : QDN_textFormat(net) { style_ = style; }
  int ReadFile(const char*, int) override { return QDN_OUT_OF_RANGE; }
  int WriteFile(const char* fileName) override {
    CB_TRY(out_.OpenForWrite(fileName));
    body(*this);
    return out_.Close();
  }
  std::string Write(std::function<void(StyledFormat&)> what) {
    body = std::move(what);
    const std::string path = TempPath("styled.txt");
    EXPECT_EQ(WriteFile(path.c_str()), QDN_NO_ERROR);
    return ReadFileText(path);
  }
  using QDN_textFormat::StatementStyle;
  std::function<void(StyledFormat&)> body;
};

QDN_stringArray Strings(std::initializer_list<const char*> items) {
  QDN_stringArray out;
  for (const char* item : items)
    EXPECT_EQ(out.Append(item), QDN_NO_ERROR);
  return out;
}

} // namespace

TEST(StatementWritingTest, EachStyleSeparatesAndAssignsAsItsFormat) {
  QDN_network net;
  const QDN_stringArray names = Strings({"a", "b\"c"});
  auto statements = [&](StyledFormat& f) {
    f.WriteIdentifierListStatement("states", names);
    f.WriteDoubleListStatement("p", std::array{0.25, 1e-9});
    f.WriteIntListStatement("position", std::array{-3, 7});
    f.WriteQuotedStatement("label", "tab\there");
    f.WriteQuotedStatement(nullptr, "no name: nothing written");
  };
  StyledFormat native(&net, {" = ", true, "\\ ", QDN_listSeparator::kComma});
  EXPECT_EQ(native.Write(statements), "states = (a, b\"c);\n"
                                      "p = (0.25000000, 1e-09);\n"
                                      "position = (-3, 7);\n"
                                      "label = \"tab\\there\";\n");
  // Blank-separated lists give identifiers as quoted strings, escaped.
  StyledFormat blanks(&net, {" = ", false, {}, QDN_listSeparator::kBlank});
  EXPECT_EQ(blanks.Write(statements), "states = (\"a\"  \"b\\\"c\");\n"
                                      "p = (0.25000000 1e-09);\n"
                                      "position = (-3 7);\n"
                                      "label = \"tab\\there\";\n");
  StyledFormat colons(&net, {" : ", false, {}, QDN_listSeparator::kComma});
  EXPECT_EQ(colons.Write([](StyledFormat& f) {
    f.WriteIntListStatement("position", std::array{1, 2});
  }),
            "position : (1, 2);\n");
}

TEST(StatementWritingTest, LongListsWrapBetweenItemsOnly) {
  QDN_network net;
  std::vector<double> values;
  for (int i = 0; i < 200; ++i)
    values.push_back(1.0 / (i + 3));
  for (QDN_listSeparator separator : {QDN_listSeparator::kComma, QDN_listSeparator::kBlank}) {
    StyledFormat format(&net, {" = ", true, {}, separator});
    const std::string text = format.Write([&](StyledFormat& f) {
      f.WriteBlockStart("block");
      f.WriteDoubleListStatement("numbers", values);
      f.WriteBlockEnd();
    });
    // Lines break only after a blank between items: without the line ends
    // and the indentation, the text is the list on one line.
    const bool commas = separator == QDN_listSeparator::kComma;
    std::string expected = "block {numbers = (";
    for (size_t i = 0; i < values.size(); ++i)
      expected.append(i == 0 ? "" : commas ? ", " : " ").append(QDN_FormatReal(values[i]));
    expected += ");};";
    std::istringstream lines(text);
    std::string line, joined;
    int count = 0;
    while (std::getline(lines, line)) {
      ++count;
      // At most one character past the width of 70, and the blank after it.
      EXPECT_LE(line.substr(0, line.find_last_not_of(' ') + 1).size(), 71u) << line;
      joined += line.substr(line.find_first_not_of(' '));
    }
    EXPECT_GT(count, 10);
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(text.substr(0, 8), "block {\n");
    EXPECT_EQ(text.substr(text.size() - 3), "};\n");
  }
}
