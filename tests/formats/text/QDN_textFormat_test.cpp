#include "formats/text/QDN_textFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "core/QDN_doubleArray.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "test_util.h"

namespace {

// A format that only reads tokens, to drive the shared readers.
class TokenFormat : public QDN_textFormat {
public:
  explicit TokenFormat(QDN_network* net) : QDN_textFormat(net) {
    style_.quoted_continuation = "\\ ";
  }
  int ReadFile(const char* fileName, int) override {
    return BeginRead(fileName, QDN_lexerVariant::kStandard);
  }
  int WriteFile(const char* fileName) override {
    CB_TRY(out_.OpenForWrite(fileName));
    WriteQuotedStatement("NAME", text);
    return out_.Close();
  }
  std::string text;
};

} // namespace

TEST(TextFormatTest, ExpectReportsWhatWasExpected) {
  QDN_network net;
  TokenFormat format(&net);
  ASSERT_EQ(format.ReadFile(WriteTempFile("expect.txt", "\n\n}  NODE = x").c_str(), 0), 0);
  ClearLog();
  EXPECT_EQ(format.Expect(QDN_TOKEN_PUNCTUATOR, ";"), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("(line 3) : ERROR: '}' : ';' expected"));
  EXPECT_EQ(format.Expect(QDN_TOKEN_PUNCTUATOR, "}"), QDN_NO_ERROR);
  EXPECT_EQ(format.Expect(QDN_TOKEN_IDENTIFIER, "node"), QDN_NO_ERROR); // case-blind
  EXPECT_EQ(format.Expect(QDN_TOKEN_PUNCTUATOR, "="), QDN_NO_ERROR);    // kind 5 counts
  EXPECT_EQ(format.Expect(QDN_TOKEN_INTEGER, nullptr), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("ERROR: 'x' : Integer expected"));
  EXPECT_EQ(format.Expect(QDN_TOKEN_IDENTIFIER, nullptr), QDN_NO_ERROR);
  ClearLog();
  EXPECT_EQ(format.Expect(QDN_TOKEN_STRING, nullptr), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("ERROR: End of File : Expecting String"));
}

TEST(TextFormatTest, LongQuotedTextWrapsAndReadsBackWhole) {
  QDN_network net;
  TokenFormat writer(&net);
  std::string text;
  for (int i = 0; i < 60; ++i)
    text += "word" + std::to_string(i) + (i % 7 == 0 ? "   " : " ");
  text += std::string(200, 'z') + " \"quoted\" back\\slash";
  writer.text = text;
  const std::string path = TempPath("wrapped.txt");
  ASSERT_EQ(writer.WriteFile(path.c_str()), QDN_NO_ERROR);
  const std::string written = ReadFileText(path);
  EXPECT_NE(written.find("\\ \n"), std::string::npos); // broken with a backslash continuation
  QDN_lexer lexer(QDN_lexerVariant::kStandard);
  ASSERT_EQ(lexer.OpenFile(path.c_str()), QDN_NO_ERROR);
  QDN_token token;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
    lexer.Consume();
  }
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  EXPECT_EQ(token.kind, QDN_TOKEN_STRING);
  EXPECT_EQ(token.text, text);
}

TEST(TextFileTest, FailedWriteKeepsTheOldFile) {
  const std::string path = WriteTempFile("keep.txt", "old contents");
  {
    QDN_textFile file;
    ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
    file.WriteRaw("new");
    // Abandoned without Close: the old file stays.
  }
  EXPECT_EQ(ReadFileText(path), "old contents");
  QDN_textFile file;
  ClearLog();
  EXPECT_EQ(file.OpenForWrite("/nonexistent-dir/x.qdn"), QDN_FILE_IO_FAILED);
  EXPECT_TRUE(LogContains("OPEN FILE FAILED"));
}

TEST(TextFileTest, WrappingNeverSplitsAWord) {
  const std::string path = TempPath("words.txt");
  const std::string id(100, 'i');
  QDN_textFile file;
  ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
  file.IndentMore();
  file.WriteLine("ID = ");
  file.WriteWrapped(id); // moves to a line of its own, and runs on
  file.WriteWrapped(" next");
  file.WriteRaw("\n");
  // Quoted text: the blanks that start a piece stay on the full line, before
  // the continuation, since the reader drops the blanks after it.
  file.SetContinuation("\\ ");
  file.WriteLine(std::string(66, 'q'));
  file.WriteWrapped("  two blanks first");
  ASSERT_EQ(file.Close(), QDN_NO_ERROR);
  const std::string text = ReadFileText(path);
  EXPECT_NE(text.find("\n " + id + " \n next\n"), std::string::npos) << text;
  EXPECT_NE(text.find(std::string(66, 'q') + "  \\ \n two blanks first"), std::string::npos)
      << text;
}

TEST(TextFormatTest, NumberListsRefuseWhatIsNoFiniteNumber) {
  QDN_network net;
  auto read = [&](const char* text, QDN_doubleArray& values) {
    TokenFormat format(&net);
    EXPECT_EQ(format.ReadFile(WriteTempFile("list.txt", text).c_str(), 0), 0);
    return format.ReadDoubleList(values);
  };
  QDN_doubleArray values;
  EXPECT_EQ(read("(1, -2.5,\n 1e-999, 3e2, 0.0E-2)", values), QDN_NO_ERROR);
  ASSERT_EQ(values.GetCount(), 5);
  EXPECT_EQ(values.At(2), 0.0);
  EXPECT_EQ(values.At(3), 300.0);
  EXPECT_EQ(values.At(4), kUndefinedValue);
  // A number too large for a double is not stored as infinity.
  ClearLog();
  QDN_doubleArray overflow;
  EXPECT_EQ(read("(0.5,\n\n 1e999, 0.5)", overflow), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("(line 3) : ERROR: '1e999' : Number out of range"));
  EXPECT_EQ(overflow.GetCount(), 1);
  ClearLog();
  QDN_doubleArray negative;
  EXPECT_EQ(read("(-1.5e400)", negative), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("(line 1) : ERROR: '-1.5e400' : Number out of range"));
  // A word after a comma fails the list with a message, not silently.
  ClearLog();
  QDN_doubleArray word;
  EXPECT_EQ(read("(0.5,\n nan)", word), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("(line 2) : ERROR: 'nan' : Real Number expected"));
  ClearLog();
  QDN_doubleArray cut;
  EXPECT_EQ(read("(0.5, ", cut), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("ERROR: End of File : Expecting Real Number"));
  // Numbers must be separated by commas.
  ClearLog();
  QDN_doubleArray blank;
  EXPECT_EQ(read("(1 2)", blank), QDN_SYNTAX_ERROR);
  EXPECT_TRUE(LogContains("ERROR: '2' : ')' expected"));
}
