#include "core/QDN_utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// The code point and sequence length decoded from the front of text (0, 0
// when refused).
std::pair<uint32_t, size_t> Decode(std::string_view text) {
  uint32_t code = 0xDEAD;
  const size_t length = QDN_DecodeUtf8(text, code);
  return {length ? code : 0, length};
}

} // namespace

TEST(Utf8Test, DecodesEachSequenceLengthAtItsBounds) {
  using P = std::pair<uint32_t, size_t>;
  EXPECT_EQ(Decode(std::string_view("\0", 1)), P(0, 1));
  EXPECT_EQ(Decode("\x7F"), P(0x7F, 1));
  EXPECT_EQ(Decode("\xC2\x80"), P(0x80, 2));
  EXPECT_EQ(Decode("\xDF\xBF"), P(0x7FF, 2));
  EXPECT_EQ(Decode("\xE0\xA0\x80"), P(0x800, 3));
  EXPECT_EQ(Decode("\xEF\xBF\xBF"), P(0xFFFF, 3));
  EXPECT_EQ(Decode("\xF0\x90\x80\x80"), P(0x10000, 4));
  EXPECT_EQ(Decode("\xF4\x8F\xBF\xBFzz"), P(0x10FFFF, 4));
  // Surrogate halves decode; the caller decides about them.
  EXPECT_EQ(Decode("\xED\xA0\x80"), P(0xD800, 3));
  EXPECT_TRUE(QDN_IsSurrogate(0xDFFF));
  EXPECT_FALSE(QDN_IsSurrogate(0xE000));
}

TEST(Utf8Test, RefusesMalformedSequences) {
  for (std::string_view bad :
       {std::string_view(""), std::string_view("\x80"), std::string_view("\xBF"),
        std::string_view("\xC0\x80"),             // overlong NUL
        std::string_view("\xC1\xBF"),             // overlong 7F
        std::string_view("\xE0\x9F\xBF"),         // overlong 7FF
        std::string_view("\xF0\x8F\xBF\xBF"),     // overlong FFFF
        std::string_view("\xF4\x90\x80\x80"),     // beyond U+10FFFF
        std::string_view("\xF8\x88\x80\x80\x80"), // five-byte form
        std::string_view("\xFF"), std::string_view("\xC3"), std::string_view("\xE2\x82"),
        std::string_view("\xF0\x9F\x98"), // cut off
        std::string_view("\xC3\x41"), std::string_view("\xE2\x82\xC0")}) {
    uint32_t code = 7;
    EXPECT_EQ(QDN_DecodeUtf8(bad, code), 0u) << testing::PrintToString(bad);
    EXPECT_EQ(code, 7u);
  }
}

TEST(Utf8Test, EncodingDecodesBackForEveryCodePoint) {
  std::string text;
  for (uint32_t code = 0; code <= kMaxCodePoint; ++code) {
    text.clear();
    QDN_AppendUtf8(text, code);
    uint32_t back = 0;
    ASSERT_EQ(QDN_DecodeUtf8(text, back), text.size()) << code;
    ASSERT_EQ(back, code);
    ASSERT_EQ(text.size(), code < 0x80 ? 1u : code < 0x800 ? 2u : code < 0x10000 ? 3u : 4u);
  }
}

TEST(Utf8Test, Latin1KeepsWhatFitsAndMarksTheRest) {
  EXPECT_EQ(QDN_Utf8ToLatin1("caf\xC3\xA9 \xC3\xBF"), "caf\xE9 \xFF");
  EXPECT_EQ(QDN_Utf8ToLatin1("\xE2\x82\xAC\xF0\x9F\x98\x80!"), "?"
                                                               "?!");
  // Each byte that starts no valid sequence is one "?".
  EXPECT_EQ(QDN_Utf8ToLatin1("a\xE9z\xC3"), "a?z?");
  EXPECT_EQ(QDN_Utf8ToLatin1("\xC0\x80"), "??");
  EXPECT_EQ(QDN_Utf8ToLatin1(""), "");
}
