#include "xml/QDN_xmlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

struct Recorder : QDN_xmlErrorHandler {
  std::vector<std::string> errors, unknown_elements, unknown_attributes;
  void OnError(const std::string& message, int, int) override { errors.push_back(message); }
  void OnUnknownElement(const std::string& element, const std::string& parent, int, int) override {
    unknown_elements.push_back(element + " in " + parent);
  }
  void OnUnknownAttribute(const std::string& element, const std::string& attribute, int,
                          int) override {
    unknown_attributes.push_back(attribute + " in " + element);
  }
};

// root (tolerant) with children a (repeatable), b (required); a holds the
// attributes the tests read.
struct Schema {
  QDN_xmlReader reader;
  Recorder recorder;
  std::vector<std::string> texts;
  QDN_xmlElement* root;
  QDN_xmlElement* a;

  explicit Schema(int root_mode = 0) {
    root = reader.CreateElement("root", root_mode);
    a = reader.CreateElement("a", QDN_xmlElement::kInherit);
    QDN_xmlElement* b = reader.CreateElement("b", QDN_xmlElement::kInherit);
    root->AddChild(a, QDN_xmlElement::kRepeatable);
    root->AddChild(b, QDN_xmlElement::kRequired);
    a->AddAttribute("id", false);
    a->OnEnd([this] { texts.emplace_back(reader.GetText()); });
    b->OnEnd([this] { texts.push_back("b:" + reader.GetUnescapedText()); });
  }

  bool Load(const std::string& body) {
    return reader.Load(WriteTempFile("doc.xml", body).c_str(), root, &recorder);
  }
};

} // namespace

TEST(XmlReaderTest, StructureChecks) {
  {
    Schema s;
    EXPECT_FALSE(s.Load("<other/>"));
    ASSERT_EQ(s.recorder.errors.size(), 1u);
    EXPECT_EQ(s.recorder.errors[0], "Unknown root element 'other', expected 'root'");
  }
  {
    // An unknown element is reported once; nothing inside it reaches a callback.
    Schema s;
    EXPECT_TRUE(s.Load("<root><x><a>hidden</a><y/></x><a>seen</a><a>again</a><b/></root>"));
    EXPECT_EQ(s.recorder.unknown_elements, std::vector<std::string>{"x in root"});
    EXPECT_EQ(s.texts, (std::vector<std::string>{"seen", "again", "b:"}));
  }
  {
    Schema s;
    EXPECT_FALSE(s.Load("<root><b/><b/></root>"));
    EXPECT_EQ(s.recorder.errors,
              std::vector<std::string>{"Multiple occurences of 'b' not allowed in 'root'"});
  }
  {
    Schema s;
    EXPECT_FALSE(s.Load("<root><a/></root>"));
    EXPECT_EQ(s.recorder.errors,
              std::vector<std::string>{"Required element 'b' not present in element 'root'"});
  }
  {
    // Strict children and attributes.
    Schema s(QDN_xmlElement::kStrictAttributes | QDN_xmlElement::kStrictChildren);
    EXPECT_FALSE(s.Load("<root><x/></root>"));
    EXPECT_EQ(s.recorder.errors, std::vector<std::string>{"Unknown element 'x' in 'root'"});
    Schema t(QDN_xmlElement::kStrictAttributes);
    EXPECT_FALSE(t.Load("<root><a id='1' extra='2'/><b/></root>"));
    EXPECT_EQ(t.recorder.errors,
              std::vector<std::string>{"Unknown attribute 'extra' in element 'a'"});
    Schema u;
    EXPECT_TRUE(u.Load("<root><a extra='2'/><b/></root>"));
    EXPECT_EQ(u.recorder.unknown_attributes, std::vector<std::string>{"extra in a"});
  }
  {
    Schema s;
    s.a->AddAttribute("must", true);
    EXPECT_FALSE(s.Load("<root><a/><b/></root>"));
    EXPECT_EQ(s.recorder.errors,
              std::vector<std::string>{"Required attribute 'must' not found in element 'a'"});
  }
}

TEST(XmlReaderTest, AttributeConversions) {
  Schema s;
  std::vector<std::string> results;
  s.a->OnStart([&] {
    int i = -1;
    double d = -1;
    bool b = false;
    std::string text;
    if (s.reader.GetIntAttribute("i", i, 42)) results.push_back("i=" + std::to_string(i));
    if (s.reader.GetDoubleAttribute("d", d, 0.5)) results.push_back("d=" + std::to_string(d));
    if (s.reader.GetBoolAttribute("b", b, false)) results.push_back(b ? "b=true" : "b=false");
    s.reader.GetStringAttribute("id", text);
    results.push_back("id=" + text);
  });
  EXPECT_TRUE(s.Load("<root><a i='7 ' d='2.5' b='true' id='caf&#233;'/><a i='12abc'/><b/></root>"));
  EXPECT_EQ(results, (std::vector<std::string>{"i=7", "d=2.500000", "b=true", "id=caf\xE9", "i=12",
                                               "d=0.500000", "b=false", "id="}));
  Schema t;
  t.a->OnStart([&] {
    bool b = false;
    (void)t.reader.GetBoolAttribute("b", b, false);
  });
  EXPECT_FALSE(t.Load("<root><a b='TRUE'/><b/></root>"));
  EXPECT_EQ(t.recorder.errors, std::vector<std::string>{
                                   "'true' or 'false' expected as value of boolean attribute 'b'"});
  Schema u;
  u.a->OnStart([&] {
    int i = 0;
    (void)u.reader.GetIntAttribute("i", i, 0);
  });
  EXPECT_FALSE(u.Load("<root><a i='0x10'/><b/></root>"));
  EXPECT_EQ(u.recorder.errors,
            std::vector<std::string>{"integer value expected for attribute 'i'"});
}

TEST(XmlReaderTest, TextsEntitiesAndTruncation) {
  Schema s;
  EXPECT_TRUE(
      s.Load("<root><a>A&amp;B</a><a>\xE2\x82\xAC \xC3\xA9</a><b>x\\ny\\tz\\\\</b></root>"));
  EXPECT_EQ(s.texts, (std::vector<std::string>{"A&B", "? \xE9", "b:x\ny\tz\\"}));

  // A document cut at exactly 1024 bytes is refused, not read as complete.
  std::string document = "<root>";
  while (document.size() < 2000)
    document += "<a>text</a>";
  document += "<b/></root>";
  document.resize(1024);
  Schema t;
  EXPECT_FALSE(t.Load(document));
  ASSERT_EQ(t.recorder.errors.size(), 1u);

  // Text is gathered per element, around children, and only where collected.
  Schema mixed;
  std::string root_text;
  mixed.root->OnEnd([&] { root_text = std::string(mixed.reader.GetText()); });
  EXPECT_TRUE(mixed.Load("<root>x<a>in</a>y<b/>z</root>"));
  EXPECT_EQ(root_text, "xyz");
  EXPECT_EQ(mixed.texts, (std::vector<std::string>{"in", "b:"}));
  Schema layout;
  layout.root->IgnoreText();
  layout.root->OnEnd([&] { root_text = std::string(layout.reader.GetText()); });
  EXPECT_TRUE(layout.Load("<root>x<a>\xC3\xA9</a>y<b>q</b>z</root>"));
  EXPECT_EQ(root_text, "");
  EXPECT_EQ(layout.texts, (std::vector<std::string>{"\xE9", "b:q"}));

  // Documents over several read blocks, one ending exactly at a block's
  // end: texts across the boundaries arrive whole, a cut one is refused.
  for (const size_t size : {size_t{64 * 1024}, size_t{3 * 64 * 1024}}) {
    const std::string tail = "</a><b/></root>";
    std::string whole = "<root><a>";
    whole.append(size - whole.size() - tail.size(), 'x');
    whole += tail;
    ASSERT_EQ(whole.size(), size);
    Schema big;
    EXPECT_TRUE(big.Load(whole));
    ASSERT_EQ(big.texts.size(), 2u);
    EXPECT_EQ(big.texts[0].size(), size - 9 - tail.size());
    Schema cut;
    EXPECT_FALSE(cut.Load(whole.substr(0, size - 4)));
    EXPECT_EQ(cut.recorder.errors.size(), 1u);
  }

  Schema missing;
  EXPECT_FALSE(missing.reader.Load("/nonexistent/doc.xml", missing.root, &missing.recorder));
  EXPECT_EQ(missing.recorder.errors,
            std::vector<std::string>{"Can't open file /nonexistent/doc.xml"});
}
