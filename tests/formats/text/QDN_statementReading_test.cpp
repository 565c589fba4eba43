// The statement loop, block skipping and list readers the text formats share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "formats/text/QDN_textFormat.h"
#include "network/QDN_network.h"
#include "test_util.h"

namespace {

// Reads "name;" statements of a text in memory; a statement "bad" fails
// without a message, "loud" fails with one.
class StatementFormat : public QDN_textFormat {
public:
  StatementFormat(QDN_network* net, Semicolons semicolons, QDN_lexerVariant variant,
                  std::string_view text)
      : QDN_textFormat(net) {
    semicolons_ = semicolons;
    ready = BeginRead(WriteTempFile("statements.txt", text).c_str(), variant) == QDN_NO_ERROR;
  }
  int ReadFile(const char*, int) override { return QDN_NO_ERROR; }
  int WriteFile(const char*) override { return QDN_NO_ERROR; }

  // The block's statements, then the "}".
  void ReadNames() {
    ReadBlock([this] {
      CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
      const std::string name(CurrentToken().text);
      if (name == "bad") return QDN_SYNTAX_ERROR;
      if (name == "loud") return ReportError(QDN_SYNTAX_ERROR, "ERROR: loud");
      names.push_back(name);
      return QDN_NO_ERROR;
    });
  }
  std::string Rest() {
    std::string rest;
    QDN_token token;
    while (Peek(token) == QDN_NO_ERROR) {
      rest += std::string(token.text) + " ";
      lexer_->Consume();
    }
    return rest;
  }

  using QDN_textFormat::ReadSpacedDoubleList;
  using QDN_textFormat::ReadSpacedIntList;
  using QDN_textFormat::ReadSpacedStringList;
  using QDN_textFormat::Semicolons;
  using QDN_textFormat::SkipBlockRemainder;

  bool ready = false;
  std::vector<std::string> names;
};

std::vector<std::string> LoggedMessages() {
  std::vector<std::string> out;
  const QDN_errorLog& log = QDN_GetErrorLog();
  for (size_t i = 0; i < log.GetCount(); ++i)
    out.push_back(log.GetEntry(i).message);
  return out;
}

using Messages = std::vector<std::string>;
using Names = std::vector<std::string>;
using S = StatementFormat::Semicolons;

} // namespace

// One fault costs one statement: the reader goes on after the next ";".
TEST(StatementLoopTest, AFailedStatementIsSkippedToItsSemicolon) {
  QDN_network net;
  const char* text = "a;\nbad x y;\nloud z;\nb; } after";
  for (S mode : {S::kRequired, S::kRequiredReported, S::kOptional}) {
    SCOPED_TRACE(static_cast<int>(mode));
    StatementFormat format(&net, mode, QDN_lexerVariant::kStandard, text);
    ASSERT_TRUE(format.ready);
    ClearLog();
    format.ReadNames();
    EXPECT_EQ(format.names, (Names{"a", "b"}));
    EXPECT_EQ(format.Rest(), "after ");
    // Only the native layout says that it skipped a statement that gave no reason.
    Messages expected{"(line 3) : ERROR: loud"};
    if (mode == S::kRequiredReported)
      expected.insert(expected.begin(), "(line 2) : ERROR: 'x' : Statement skipped");
    EXPECT_EQ(LoggedMessages(), expected);
  }
}

TEST(StatementLoopTest, AMissingSemicolonCostsTheNextStatement) {
  QDN_network net;
  const char* text = "a\nb;\nc; }";
  for (S mode : {S::kRequired, S::kRequiredReported}) {
    StatementFormat format(&net, mode, QDN_lexerVariant::kStandard, text);
    ClearLog();
    format.ReadNames();
    EXPECT_EQ(format.names, (Names{"a", "c"}));
    EXPECT_EQ(LoggedMessages(),
              mode == S::kRequired ? Messages{} : Messages{"(line 2) : ERROR: 'b' : ';' expected"});
  }
  // Entries that end with their own "}" may leave the ";" out.
  StatementFormat optional(&net, S::kOptional, QDN_lexerVariant::kStandard, text);
  optional.ReadNames();
  EXPECT_EQ(optional.names, (Names{"a", "b", "c"}));
}

TEST(StatementLoopTest, ABlockCutShortEndsTheLoop) {
  QDN_network net;
  StatementFormat format(&net, S::kRequired, QDN_lexerVariant::kStandard, "a; b {");
  ClearLog();
  format.ReadNames();
  EXPECT_EQ(format.names, (Names{"a", "b"}));
  EXPECT_TRUE(LogContains("ERROR: End of File : Expecting '}'"));
}

TEST(StatementLoopTest, BlockRemainderSkipsNestedBlocks) {
  QDN_network net;
  StatementFormat format(&net, S::kRequired, QDN_lexerVariant::kStandard,
                         "x = { a { b; } c; } next");
  format.SkipBlockRemainder();
  EXPECT_EQ(format.Rest(), "next ");
  // Inside a block: up to the "}" that closes it.
  StatementFormat inside(&net, S::kRequired, QDN_lexerVariant::kStandard, "a; b; } next");
  inside.SkipBlockRemainder();
  EXPECT_EQ(inside.Rest(), "next ");
  StatementFormat cut(&net, S::kRequired, QDN_lexerVariant::kStandard, "{ a {");
  cut.SkipBlockRemainder();
  EXPECT_EQ(cut.Rest(), "");
}

TEST(SpacedListTest, ItemsNeedNoSeparator) {
  QDN_network net;
  StatementFormat format(&net, S::kRequired, QDN_lexerVariant::kMsbn,
                         "(\"a b\" \"\" \"c\") (1 -2.5e3, 0.0E-2) (3, 4 | 5) ()");
  QDN_stringArray texts;
  ASSERT_EQ(format.ReadSpacedStringList(texts), QDN_NO_ERROR);
  ASSERT_EQ(texts.GetCount(), 3);
  EXPECT_EQ(texts.ViewAt(0), "a b");
  EXPECT_EQ(texts.ViewAt(1), "");
  QDN_doubleArray numbers;
  ASSERT_EQ(format.ReadSpacedDoubleList(numbers), QDN_NO_ERROR);
  ASSERT_EQ(numbers.GetCount(), 3);
  EXPECT_EQ(numbers.At(1), -2500.0);
  QDN_intArray ints;
  ASSERT_EQ(format.ReadSpacedIntList(ints), QDN_NO_ERROR);
  ASSERT_EQ(ints.GetCount(), 3);
  EXPECT_EQ(ints.At(2), 5);
  QDN_intArray empty;
  EXPECT_EQ(format.ReadSpacedIntList(empty), QDN_NO_ERROR);
  EXPECT_EQ(empty.GetCount(), 0);
}

TEST(SpacedListTest, AnItemOfAnotherKindEndsTheListWithAMessage) {
  QDN_network net;
  StatementFormat format(&net, S::kRequired, QDN_lexerVariant::kHugin,
                         "(1 2\n x 3) (\"a\" b) (1\n\n 1e999)");
  ClearLog();
  QDN_doubleArray numbers;
  EXPECT_EQ(format.ReadSpacedDoubleList(numbers), QDN_SYNTAX_ERROR);
  EXPECT_EQ(numbers.GetCount(), 2);
  EXPECT_TRUE(LogContains("(line 2) : ERROR: 'x' : ')' expected"));
  EXPECT_EQ(format.Rest().substr(0, 4), "x 3 ");
  StatementFormat strings(&net, S::kRequired, QDN_lexerVariant::kHugin, "(\"a\" b)");
  QDN_stringArray texts;
  EXPECT_EQ(strings.ReadSpacedStringList(texts), QDN_SYNTAX_ERROR);
  EXPECT_EQ(texts.GetCount(), 1);
  // A number too large for a double fails the list.
  StatementFormat overflow(&net, S::kRequired, QDN_lexerVariant::kHugin, "(1\n\n 1e999)");
  ClearLog();
  QDN_doubleArray values;
  EXPECT_EQ(overflow.ReadSpacedDoubleList(values), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("(line 3) : ERROR: '1e999' : Number out of range"));
}
