#include "core/QDN_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/QDN_status.h"
#include "test_util.h"

namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

// Every token of text (memory mode), with the final status.
using V = QDN_lexerVariant;

Tokens Lex(std::string_view text, V variant = V::kStandard, int* final_status = nullptr) {
  QDN_lexer lexer(variant);
  (void)lexer.SetString(text);
  Tokens out;
  QDN_token token;
  int status;
  while ((status = lexer.NextToken(token)) == QDN_NO_ERROR) {
    out.emplace_back(token.kind, std::string(token.text));
    lexer.Consume();
  }
  if (final_status) *final_status = status;
  return out;
}

} // namespace

TEST(LexerTest, NumberKinds) {
  EXPECT_EQ(Lex("12. "), (Tokens{{7, "12."}}));
  EXPECT_EQ(Lex("12.5"), (Tokens{{3, "12.5"}}));
  EXPECT_EQ(Lex(".5"), (Tokens{{3, ".5"}}));
  EXPECT_EQ(Lex("12e5"), (Tokens{{2, "12e5"}}));
  EXPECT_EQ(Lex("1.5e-3"), (Tokens{{3, "1.5e-3"}}));
  EXPECT_EQ(Lex("-5"), (Tokens{{2, "-5"}}));
  EXPECT_EQ(Lex("-5", V::kEquation), (Tokens{{8, "-"}, {2, "5"}}));
  EXPECT_EQ(Lex("- 5"), (Tokens{{9, "-"}, {2, "5"}}));
  // Exponent digits alternate between states in the Hugin and MSBN variants; the token is the same.
  EXPECT_EQ(Lex("1e123", V::kHugin), (Tokens{{2, "1e123"}}));
}

TEST(LexerTest, IdentifiersAndPunctuators) {
  EXPECT_EQ(Lex("_abc"), (Tokens{{8, "_"}, {1, "abc"}}));
  EXPECT_EQ(Lex("a_1"), (Tokens{{1, "a_1"}}));
  EXPECT_EQ(Lex("a=b"), (Tokens{{1, "a"}, {5, "="}, {1, "b"}}));
  EXPECT_EQ(Lex("a==b"), (Tokens{{1, "a"}, {6, "=="}, {1, "b"}}));
  ClearLog();
  EXPECT_EQ(Lex("a===b"), (Tokens{{1, "a"}, {6, "=="}, {1, "b"}}));
  EXPECT_TRUE(LogContains("UNKNOWN CHARACTER"));
  EXPECT_EQ(Lex("a, b| c", V::kMsbn), (Tokens{{1, "a"}, {1, "b"}, {1, "c"}}));
  EXPECT_EQ(Lex("a % b", V::kHugin), (Tokens{{1, "a"}}));
  EXPECT_EQ(Lex("a%b"), (Tokens{{1, "a"}, {8, "%"}, {1, "b"}}));
  EXPECT_EQ(Lex("x1,y.z/w", V::kErgo), (Tokens{{1, "x1,y.z/w"}}));
}

TEST(LexerTest, Comments) {
  EXPECT_EQ(Lex("a /*/ b"), (Tokens{{1, "a"}, {1, "b"}}));
  EXPECT_EQ(Lex("a /* x \n y */ b // rest\nc"), (Tokens{{1, "a"}, {1, "b"}, {1, "c"}}));
  EXPECT_EQ(Lex("a /# x /# y #/ still #/ b"), (Tokens{{1, "a"}, {1, "b"}}));
  int status = 0;
  EXPECT_EQ(Lex("a /# x", V::kStandard, &status), (Tokens{{1, "a"}}));
  EXPECT_EQ(status, QDN_NO_MORE_TOKENS); // memory mode: the end of the text
  const std::string path = WriteTempFile("nested.txt", "a /# open\nstill open\n");
  QDN_lexer lexer(V::kStandard);
  ASSERT_EQ(lexer.OpenFile(path.c_str()), QDN_NO_ERROR);
  QDN_token token;
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  lexer.Consume();
  ClearLog();
  EXPECT_EQ(lexer.NextToken(token), QDN_UNEXPECTED_END_OF_FILE);
  EXPECT_TRUE(LogContains("UNMATCHED '/#'"));
}

TEST(LexerTest, StringsEscapesAndContinuations) {
  EXPECT_EQ(Lex(R"("a\nb\t\"q\"\\")"), (Tokens{{70, "a\nb\t\"q\"\\"}}));
  EXPECT_EQ(Lex("\"first \\ \n     second\""), (Tokens{{70, "first second"}}));
  EXPECT_EQ(Lex("\"a\\|b\\x\""), (Tokens{{70, "ab\\x"}}));
  EXPECT_EQ(Lex("\"line\nbreak\""), (Tokens{{70, "linebreak"}}));
  EXPECT_EQ(Lex("\"caf\xe9\""), (Tokens{{70, "caf\xe9"}}));
  int status = 0;
  ClearLog();
  EXPECT_EQ(Lex("\"open", V::kStandard, &status), Tokens{});
  EXPECT_EQ(status, QDN_UNEXPECTED_END_OF_FILE);
  EXPECT_TRUE(LogContains("UNTERMINATED STRING"));
}

TEST(LexerTest, LineEndsOfEveryKindReadAlike) {
  for (std::string_view end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(end.size());
    std::string text = "a // comment";
    text.append(end)
        .append("b")
        .append(end)
        .append("\"s\\")
        .append(end)
        .append("  t\"")
        .append(end)
        .append("c");
    const std::string path = WriteTempFile("ends.txt", text);
    QDN_lexer lexer(V::kStandard);
    ASSERT_EQ(lexer.OpenFile(path.c_str()), QDN_NO_ERROR);
    Tokens tokens;
    QDN_token token;
    while (lexer.NextToken(token) == QDN_NO_ERROR) {
      tokens.emplace_back(token.kind, std::string(token.text));
      lexer.Consume();
    }
    EXPECT_EQ(tokens, (Tokens{{1, "a"}, {1, "b"}, {70, "st"}, {1, "c"}}));
    EXPECT_EQ(lexer.GetLinesRead(), 5);
  }
}

TEST(LexerTest, HighBytesOutsideStringsAreReportedAndSkipped) {
  ClearLog();
  EXPECT_EQ(Lex("a \xe9\xff b c\xe9"
                "d"),
            (Tokens{{1, "a"}, {1, "b"}, {1, "c"}, {1, "d"}}));
  EXPECT_EQ(LoggedCount(), 3u);
}

TEST(LexerTest, PeekConsumeAndStepBack) {
  QDN_lexer lexer(V::kStandard);
  (void)lexer.SetString("a b c");
  QDN_token token;
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR); // a peek does not advance
  EXPECT_EQ(token.text, "a");
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  EXPECT_EQ(token.text, "b");
  ASSERT_EQ(lexer.StepBack(), QDN_NO_ERROR);
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  EXPECT_EQ(token.text, "a");
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  EXPECT_EQ(token.text, "b");
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
  EXPECT_EQ(token.text, "c");
  QDN_lexer fresh(V::kStandard);
  EXPECT_EQ(fresh.StepBack(), QDN_OUT_OF_RANGE);
  EXPECT_EQ(QDN_lexer(static_cast<V>(6)).Status(), QDN_OUT_OF_RANGE);
}

TEST(LexerTest, VeryLongTokensStayWhole) {
  const std::string name(100000, 'a');
  const std::string number = "0." + std::string(50000, '1');
  const Tokens tokens = Lex(name + " " + number + " \"" + name + "\"");
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[0].second.size(), name.size());
  EXPECT_EQ(tokens[1].first, QDN_TOKEN_REAL);
  EXPECT_EQ(tokens[2].second, name);
}

// The readers of long lists take numbers and commas in one step; that must
// give the tokens, line numbers and history that peeking and consuming give.
TEST(LexerTest, TakingGivesWhatPeekingAndConsumingGive) {
  const std::string text = "(0.5, 1e-3\n -2 ,\r\n 7. x) % c\n/* c\n */ \"s\" 12e5 - .5 | 3,\r4\n";
  for (V variant : {V::kStandard, V::kErgo, V::kHugin, V::kMsbn, V::kEquation}) {
    SCOPED_TRACE(static_cast<int>(variant));
    QDN_lexer peeking(variant), taking(variant);
    (void)peeking.SetString(text);
    (void)taking.SetString(text);
    std::vector<std::tuple<int, std::string, int>> peeked, taken;
    QDN_token token;
    while (peeking.NextToken(token) == QDN_NO_ERROR) {
      peeking.Consume();
      peeked.emplace_back(token.kind, std::string(token.text), peeking.GetLinesRead());
    }
    for (;;) {
      if (taking.TakePunctuator(',') == 1) {
        taken.emplace_back(QDN_TOKEN_PUNCTUATOR, ",", taking.GetLinesRead());
        continue;
      }
      if (taking.Take(QDN_TOKEN_INTEGER, QDN_TOKEN_REAL, token) == 1) {
        taken.emplace_back(token.kind, std::string(token.text), taking.GetLinesRead());
        continue;
      }
      if (taking.NextToken(token) != QDN_NO_ERROR) break;
      taking.Consume();
      taken.emplace_back(token.kind, std::string(token.text), taking.GetLinesRead());
    }
    EXPECT_EQ(taken, peeked);
    // The history holds the taken tokens as well.
    for (int back = 0; back < 4; ++back) {
      ASSERT_EQ(peeking.StepBack(), QDN_NO_ERROR);
      ASSERT_EQ(taking.StepBack(), QDN_NO_ERROR);
      EXPECT_EQ(taking.Current().text, peeking.Current().text);
    }
    // Taking after a step back walks the history forward again.
    ASSERT_EQ(taking.NextToken(token), QDN_NO_ERROR);
    const std::string next(token.text);
    EXPECT_EQ(taking.Take(token.kind, token.kind, token), 1);
    EXPECT_EQ(token.text, next);
  }
}

// Blanks are skipped several at a time: runs of every length, also up to
// the end of the text and before a line end, separate alike.
TEST(LexerTest, BlankRunsOfAnyLengthSeparate) {
  for (size_t run = 1; run <= 20; ++run) {
    SCOPED_TRACE(run);
    const std::string blanks(run, ' ');
    const std::string text = "a" + blanks + "=" + blanks + "\n" + blanks + "\"s t\"" + blanks;
    int status = 0;
    EXPECT_EQ(Lex(text, V::kStandard, &status), (Tokens{{1, "a"}, {5, "="}, {70, "s t"}}));
    EXPECT_EQ(status, QDN_NO_MORE_TOKENS);
  }
}

// Many tokens through the history: stepping back reaches the four tokens
// before the current one (strings taken from the input and decoded ones
// alike), and no further; reading on gives them again in order.
TEST(LexerTest, HistoryKeepsTheLastFiveTokens) {
  // Token k: a string with an escape, a plain string or an identifier.
  const auto text_of = [](int k) {
    std::string text(k % 3 == 2 ? "t" : "s");
    text.append(std::to_string(k));
    if (k % 3 == 0) text.push_back('\t');
    return text;
  };
  std::string text;
  for (int k = 0; k < 40; ++k) {
    if (k % 3 == 2) {
      text.append(text_of(k));
    } else {
      text.append("\"").append(text_of(k).substr(0, text_of(k).size() - (k % 3 == 0)));
      text.append(k % 3 == 0 ? "\\t\"" : "\"");
    }
    text.push_back(' ');
  }
  QDN_lexer lexer(V::kStandard);
  (void)lexer.SetString(text);
  QDN_token token;
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
    EXPECT_EQ(token.text, text_of(i));
    lexer.Consume();
    if (i < 12 || i % 5 != 0) continue;
    for (int back = 1; back <= 4; ++back) {
      ASSERT_EQ(lexer.StepBack(), QDN_NO_ERROR);
      EXPECT_EQ(lexer.Current().text, text_of(i - back));
    }
    EXPECT_EQ(lexer.StepBack(), QDN_OUT_OF_RANGE);
    // The token stepped back to comes first, then the ones after it.
    for (int k = i - 4; k <= i; ++k) {
      ASSERT_EQ(lexer.NextToken(token), QDN_NO_ERROR);
      EXPECT_EQ(token.text, text_of(k));
      lexer.Consume();
    }
  }
}

namespace {

// Every token of the file with the line after it, and what was logged.
struct Scanned {
  std::vector<std::tuple<int, std::string, int>> tokens;
  int status = 0;
  size_t logged = 0;
  bool operator==(const Scanned&) const = default;
};

Scanned ScanAll(QDN_lexer& lexer) {
  Scanned out;
  QDN_token token;
  while ((out.status = lexer.NextToken(token)) == QDN_NO_ERROR) {
    lexer.Consume();
    out.tokens.emplace_back(token.kind, std::string(token.text), lexer.GetLinesRead());
  }
  out.logged = LoggedCount();
  return out;
}

} // namespace

// A file is read piece by piece: whatever stands across the end of a piece
// (a token, a string with escapes, a comment, a CRLF, an unknown character)
// reads as the same text in memory reads, with the same lines and messages.
TEST(LexerTest, FilesReadInPiecesScanAsTheWholeText) {
  const std::string constructs[] = {"name_of_some_length 12.5e-3 -7",
                                    "\"plain text\" \"esc\\\"aped\\n\"",
                                    "/* block\r\n comment */ x",
                                    "/# nested /# deeper #/ #/ y",
                                    "// line comment\r\nz",
                                    "a\r\nb\rc\n\"s\\\r\n  t\"",
                                    "p \xe9 q\xe9r",
                                    "\"continued \\\r\n   text\""};
  for (size_t c = 0; c < std::size(constructs); ++c) {
    for (size_t shift = 0; shift < 24; ++shift) {
      SCOPED_TRACE(testing::Message() << "construct " << c << ", shift " << shift);
      std::string text(QDN_lexer::kFilePiece - shift, ' ');
      text[0] = 'x';
      text += constructs[c];
      text += " end";
      ClearLog();
      QDN_lexer memory(V::kStandard);
      (void)memory.SetString(text);
      const Scanned expected = ScanAll(memory);
      ClearLog();
      const std::string path = WriteTempFile("pieces.txt", text);
      QDN_lexer file(V::kStandard);
      ASSERT_EQ(file.OpenFile(path.c_str()), QDN_NO_ERROR);
      EXPECT_EQ(ScanAll(file), expected);
    }
  }
}

// Tokens longer than a piece stay whole, and those of the history before a
// refill keep their text.
TEST(LexerTest, TokensLongerThanAPieceStayWhole) {
  const std::string name(3 * QDN_lexer::kFilePiece, 'n');
  const std::string text = "first \"" + std::string(QDN_lexer::kFilePiece - 10, 's') + "\" " +
                           name + " /*" + std::string(QDN_lexer::kFilePiece, '*') + "*/ last";
  const std::string path = WriteTempFile("long_tokens.txt", text);
  QDN_lexer lexer(V::kStandard);
  ASSERT_EQ(lexer.OpenFile(path.c_str()), QDN_NO_ERROR);
  QDN_token first, string, identifier, last;
  ASSERT_EQ(lexer.NextToken(first), QDN_NO_ERROR);
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(string), QDN_NO_ERROR);
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(identifier), QDN_NO_ERROR);
  lexer.Consume();
  ASSERT_EQ(lexer.NextToken(last), QDN_NO_ERROR);
  EXPECT_EQ(first.text, "first");
  EXPECT_EQ(string.text.size(), QDN_lexer::kFilePiece - 10);
  EXPECT_EQ(identifier.text, name);
  EXPECT_EQ(last.text, "last");
  lexer.Consume();
  EXPECT_EQ(lexer.NextToken(last), QDN_NO_MORE_TOKENS);
}
