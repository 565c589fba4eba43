// Writing XMLBIF 0.3 files.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_utf8.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/xmlbif/QDN_xmlbifFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

// Texts are escaped so that the file stays well-formed XML whatever they hold.
std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// A text that XML carries unchanged as element text: valid UTF-8, no
// control characters but the tab and the line feed (a carriage return would
// be normalized), and no blanks at its ends (element texts are trimmed).
bool CarriedAsElementText(std::string_view text) {
  if (text.empty() || XmlScanner::Trim(text) != text) return false;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n') return false;
      if (c == 0x7F) return false;
      ++i;
      continue;
    }
    uint32_t code = 0;
    const size_t length = QDN_DecodeUtf8(text.substr(i), code);
    if (length == 0 || QDN_IsSurrogate(code) || code == 0xFFFE || code == 0xFFFF) return false;
    i += length;
  }
  return true;
}

// What every file starts with. Well-formed XML: a lower-case declaration
// and a DTD whose attribute default is quoted.
constexpr const char* kPreamble =
    "<?xml version=\"1.0\"?>\n"
    "\n"
    "\n"
    "<!--\n"
    "\tBayesian network in XMLBIF v0.3 (BayesNet Interchange Format)\n"
    "\tProduced by BRIMA/Norix (http://www.callbrima.org/)\n"
    "-->\n"
    "\n"
    "\n"
    "\n"
    "<!-- DTD for the XMLBIF 0.3 format -->\n"
    "<!DOCTYPE BIF [\n"
    "\t<!ELEMENT BIF ( NETWORK )*>\n"
    "\t      <!ATTLIST BIF VERSION CDATA #REQUIRED>\n"
    "\t<!ELEMENT NETWORK ( NAME, ( PROPERTY | VARIABLE | DEFINITION )* )>\n"
    "\t<!ELEMENT NAME (#PCDATA)>\n"
    "\t<!ELEMENT VARIABLE ( NAME, ( OUTCOME |  PROPERTY )* ) >\n"
    "\t      <!ATTLIST VARIABLE TYPE (chance|decision|utility) \"chance\">\n"
    "\t<!ELEMENT OUTCOME (#PCDATA)>\n"
    "\t<!ELEMENT DEFINITION ( FOR | GIVEN | TABLE | PROPERTY )* >\n"
    "\t<!ELEMENT FOR (#PCDATA)>\n"
    "\t<!ELEMENT GIVEN (#PCDATA)>\n"
    "\t<!ELEMENT TABLE (#PCDATA)>\n"
    "\t<!ELEMENT PROPERTY (#PCDATA)>\n"
    "]>\n"
    "\n";

} // namespace

// The texts the outcomes go out with: for each outcome the original text it
// was read with when XML carries it, the reader makes its identifier from it
// again, and no other outcome goes out with the same text; otherwise its
// identifier. When the whole list would not read back as the outcomes'
// identifiers, the identifiers go out.
std::vector<std::string> QDN_xmlbifFormat::OutcomeTexts(const QDN_idArray& ids,
                                                        const QDN_extraDefinition* extra) {
  bool any_original = false;
  std::vector<std::string> texts =
      OriginalOutcomeTexts(ids, extra, &CarriedAsElementText, any_original);
  if (!any_original) return texts;
  QDN_idArray again;
  bool same = true;
  for (size_t i = 0; same && i < texts.size(); ++i) {
    std::string id;
    same = again.CreateUniqueId(texts[i].c_str(), -1, id) == QDN_NO_ERROR &&
           id == ids.ViewAt(static_cast<int>(i)) && again.Append(id.c_str()) == QDN_NO_ERROR;
  }
  if (same) return texts;
  for (int i = 0; i < ids.GetCount(); ++i)
    texts[static_cast<size_t>(i)] = std::string(ids.ViewAt(i));
  return texts;
}

void QDN_xmlbifFormat::WriteTextElement(const char* tag, std::string_view text) {
  out_.WriteIndent();
  std::string line = "<";
  line.append(tag).append(">").append(Escape(text)).append("</").append(tag).append(">\n");
  out_.WriteRaw(line);
}

int QDN_xmlbifFormat::WriteFile(const char* fileName) {
  // XMLBIF holds variables with outcomes and flat tables: MAU and equation
  // nodes would come back as other nodes, without their data.
  if (FirstNodeOfType({QDN_MAU, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION}) >= 0)
    return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in XMLBIF format");
  CB_TRY(out_.OpenForWrite(fileName));
  out_.SetIndentWidth(1);
  // Markup goes out unwrapped.
  out_.WriteRaw(kPreamble);
  out_.WriteRaw("\n<BIF VERSION=\"0.3\">\n");
  out_.WriteIndent();
  out_.WriteRaw("<NETWORK>\n");
  out_.IndentMore();
  const char* id = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetId();
  WriteTextElement("NAME", id ? id : "");
  const QDN_intArray order(network_->PartialOrderNodes());
  for (int i = 0; i < order.GetCount(); ++i) {
    out_.WriteRaw("\n");
    WriteVariable(order.At(i));
    out_.WriteRaw("\n");
  }
  for (int i = 0; i < order.GetCount(); ++i) {
    out_.WriteRaw("\n");
    WriteDefinition(order.At(i));
    out_.WriteRaw("\n");
  }
  out_.IndentLess();
  out_.WriteIndent();
  out_.WriteRaw("</NETWORK>\n");
  out_.WriteIndent();
  out_.WriteRaw("</BIF>\n");
  return out_.Close();
}

void QDN_xmlbifFormat::WriteVariable(int handle) {
  const QDN_node& node = *network_->GetNode(handle);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  const char* word = "Unknown";
  if (type & 1) {
    word = "decision";
  } else if (type & (2 | 4)) {
    word = "chance";
  } else if (type & 8) {
    word = "utility";
  } else {
    QDN_Log(QDN_OUT_OF_RANGE, "ERROR: Unsupported node type");
  }
  out_.WriteIndent();
  out_.WriteRaw(std::string("<VARIABLE TYPE=\"").append(word).append("\">\n"));
  out_.IndentMore();
  WriteTextElement("NAME", node.GetId() ? node.GetId() : "");
  const QDN_idArray* outcomes = definition ? definition->GetOutcomesNames() : nullptr;
  if (outcomes && type != QDN_TABLE)
    for (const std::string& text : OutcomeTexts(*outcomes, node.GetExtraDefinition()))
      WriteTextElement("OUTCOME", text);
  out_.IndentLess();
  out_.WriteIndent();
  out_.WriteRaw("</VARIABLE>\n");
}

void QDN_xmlbifFormat::WriteDefinition(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  out_.WriteIndent();
  out_.WriteRaw("<DEFINITION>\n");
  out_.IndentMore();
  WriteTextElement("FOR", node.GetId() ? node.GetId() : "");
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  for (int i = 0; i < parents.GetCount(); ++i) {
    const char* parent = network_->GetNode(parents.At(i))->GetId();
    WriteTextElement("GIVEN", parent ? parent : "UnknownParent");
  }
  QDN_nodeDefinition* definition = node.GetDefinition();
  // A noisy-MAX node is written as its expanded probability table.
  const QDN_Dmatrix* table = definition ? definition->GetProbabilityTable() : nullptr;
  if (!table && definition && definition->GetType() != QDN_LIST) table = definition->GetTable();
  if (table) {
    out_.WriteIndent();
    out_.WriteRaw("<TABLE>\n");
    out_.IndentMore();
    out_.WriteIndent();
    std::string cells;
    for (int i = 0; i < table->GetSize(); ++i) {
      cells = QDN_FormatReal(table->At(i));
      cells += ' ';
      out_.WriteWrapped(cells);
    }
    out_.WriteRaw("\n");
    out_.IndentLess();
    out_.WriteIndent();
    out_.WriteRaw("</TABLE>\n");
  }
  out_.IndentLess();
  out_.WriteIndent();
  out_.WriteRaw("</DEFINITION>\n");
}
