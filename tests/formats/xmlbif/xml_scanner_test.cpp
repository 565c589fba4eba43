#include "formats/xmlbif/xml_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Kind = XmlScanner::Kind;
using Texts = XmlScanner::Texts;

// Everything a scan yields, one line per item, with the line of the scan
// position after it. Consecutive texts are joined (decoded) when pieces
// are asked for, so a scan in pieces must give what a whole scan gives.
std::string Describe(XmlScanner& scanner, Texts texts) {
  std::string out;
  std::string text;
  int text_line = 0;
  auto flush = [&] {
    if (text_line == 0) return;
    out += "text [" + text + "] line " + std::to_string(text_line) + "\n";
    text.clear();
    text_line = 0;
  };
  for (int guard = 0; guard < 10'000; ++guard) {
    const XmlScanner::Item item = scanner.Next(texts);
    if (item.kind == Kind::kText) {
      XmlScanner::DecodeInto(item.raw, text);
      text_line = scanner.Line();
      continue;
    }
    flush();
    switch (item.kind) {
    case Kind::kEnd:
      return out + "end line " + std::to_string(scanner.Line()) + "\n";
    case Kind::kError:
      return out + "error " + scanner.Error() + " line " + std::to_string(scanner.Line()) + "\n";
    default:
      out += (item.kind == Kind::kStart ? "start " : "end-tag ") + item.name;
      for (const auto& [key, value] : item.attributes)
        out += " " + key + "=[" + value + "]";
      out += (item.self_closing ? " /" : "") + std::string(" line ") +
             std::to_string(scanner.Line()) + "\n";
    }
  }
  return out + "no end\n";
}

// A source handing out the document a few bytes at a time.
XmlScanner::Source Trickle(const std::string& document, size_t per_call) {
  return [document, per_call, at = size_t{0}](char* buffer, size_t size) mutable -> long {
    const size_t n = std::min({size, per_call, document.size() - at});
    std::memcpy(buffer, document.data() + at, n);
    at += n;
    return static_cast<long>(n);
  };
}

const char* const kDocuments[] = {
    "<?xml version=\"1.0\"?>\r\n<!DOCTYPE BIF [ <!ELEMENT BIF (NETWORK)*> ]>\r\n"
    "<BIF VERSION='0.3'><!-- a\rcomment --><NETWORK><NAME>a &amp; b &#x41;&#66;</NAME>\r"
    "<VARIABLE TYPE = \"nature\" x=\"&lt;&#0;&bogus;\"><OUTCOME>&amp</OUTCOME>"
    "<OUTCOME>&#1114112; &;& amp;</OUTCOME><PROPERTY/></VARIABLE>\n"
    "<TABLE>0.1 0.2\r\n0.3<![CDATA[ 4<&amp;> ]]>0.5 &#32;0.6</TABLE></NETWORK></BIF>\r",
    "<a>text with a long reference &#x0000000041; and more &amp;amp; &#x1F600;</a>",
    "plain text before <a b='1'/> and after",
    "<a><!-- never ends",
    "<a><? never ends",
    "<a><![CDATA[ never ends",
    "<a><!DOCTYPE x [ never ends",
    "<a b=\"never ends",
    "<a b=\"1\"",
    "<a b>",
    "<a b=1>",
    "<a $>",
    "<>",
    "<a/",
    "text\r",
    "",
};

} // namespace

TEST(XmlScannerTest, BlocksOfAnySizeScanAsTheWholeDocument) {
  for (const char* document : kDocuments) {
    SCOPED_TRACE(document);
    XmlScanner whole{std::string(document)};
    const std::string expected = Describe(whole, Texts::kWhole);
    for (size_t block : {1, 2, 3, 7, 13, 64}) {
      for (size_t per_call : {size_t{1}, size_t{5}, size_t{1000}}) {
        SCOPED_TRACE(testing::Message() << "block " << block << ", per call " << per_call);
        XmlScanner in_blocks(Trickle(document, per_call), block);
        EXPECT_EQ(Describe(in_blocks, Texts::kWhole), expected);
        XmlScanner in_pieces(Trickle(document, per_call), block);
        EXPECT_EQ(Describe(in_pieces, Texts::kInPieces), expected);
      }
    }
  }
}

TEST(XmlScannerTest, LongTextsComeInPiecesWithReferencesWhole) {
  std::string document = "<TABLE>";
  for (int i = 0; i < 3000; ++i)
    document += "&#x31;&amp;\r\n";
  document += "</TABLE>";
  XmlScanner scanner(Trickle(document, 1000), 256);
  ASSERT_EQ(scanner.Next().kind, Kind::kStart);
  std::string text;
  int pieces = 0;
  for (XmlScanner::Item item = scanner.Next(Texts::kInPieces); item.kind == Kind::kText;
       item = scanner.Next(Texts::kInPieces), ++pieces) {
    EXPECT_NE(item.raw.back(), '\r');
    XmlScanner::DecodeInto(item.raw, text);
  }
  EXPECT_GT(pieces, 10); // never held whole
  std::string expected;
  for (int i = 0; i < 3000; ++i)
    expected += "1&\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(scanner.Line(), 3001);
}

TEST(XmlScannerTest, AFailedReadEndsTheDocument) {
  int calls = 0;
  XmlScanner scanner(
      [&calls](char* buffer, size_t) -> long {
        if (calls++ > 0) return -1;
        std::memcpy(buffer, "<a>", 3);
        return 3;
      },
      64);
  EXPECT_TRUE(scanner.HasInput());
  EXPECT_EQ(scanner.Next().kind, Kind::kStart);
  EXPECT_EQ(scanner.Next().kind, Kind::kEnd);
  EXPECT_TRUE(scanner.ReadFailed());
}
