#include "xml/QDN_xmlWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "test_util.h"

TEST(XmlWriterTest, EscapingAndLayout) {
  const std::string path = WriteTempFile("out.xml", "");
  QDN_xmlWriter writer;
  ASSERT_TRUE(writer.Open(path.c_str()));
  writer.AddAttribute("q", std::string_view("say \"hi\" & <go>\t"));
  writer.AddAttribute("n", 3);
  writer.AddAttribute("r", 1.0 / 3);
  writer.StartElement("top", QDN_xmlWriter::kChildren);
  writer.WriteElement("t", std::string_view("line\nnext\\ \x01"), true);
  writer.WriteElement("plain", std::string_view("a\nb"), false);
  writer.WriteElement("none", nullptr, false);
  writer.EndElement("top");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFileText(path),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
            "<top q=\"say &quot;hi&quot; &amp; &lt;go&gt;&#9;\" n=\"3\" r=\"0.333333\">\n"
            "\t<t>line\\nnext\\\\ ?</t>\n\t<plain>a\nb</plain>\n\t<none />\n</top>\n");
  EXPECT_FALSE(QDN_xmlWriter().Open("/nonexistent/dir/out.xml"));
}
