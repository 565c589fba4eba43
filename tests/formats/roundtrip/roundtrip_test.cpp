// The round-trip matrix: every corpus network and a set of generated ones,
// written in every writable format and read back. What a format carries must
// come back equal; what it cannot carry is listed in its entry below. XML
// output must also be well-formed (parsed by Expat).
// A new format is one more entry in kFormats (and, for reading its corpus
// files, one more entry in kSources). Each input network is one test that
// goes through every format, so each file is read once.
#include <expat.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_lists.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

// What a format carries besides node identifiers, outcome identifiers,
// parents in order and tables, which every format carries.
enum Carries : unsigned {
  kNodeNames = 1u << 0,
  kNodeComments = 1u << 1,
  kNetworkId = 1u << 2,
  kNetworkName = 1u << 3,
  kNetworkComment = 1u << 4,
  kTruthTables = 1u << 5, // otherwise written as the expanded probability table
  kNoisyMax = 1u << 6,    // otherwise written as the expanded probability table
  kEverything = 1u << 7,  // the whole description (submodels, screen data, costs, ...)
  kXml = 1u << 8,         // the output is an XML document
};

struct FormatCase {
  const char* name;
  int write_number; // 0: chosen by the extension
  const char* extension;
  unsigned carries;
  // Table cells: the reader normalizes each distribution (Hugin), or rounds
  // cells to 5 decimals (KI); otherwise cells come back exact.
  bool normalizes;
  double tolerance;
  // Definition types the writer refuses (the whole network is refused with
  // a logged message); a 0 ends a shorter list.
  int refused[9];
  // What the format cannot carry, for the record and the closing note.
  const char* cannot_carry;
  // Makes the written network and the one read back agree on what the
  // format does not carry, before they are compared (or none).
  void (*forget)(QDN_network& wrote, QDN_network& read);
};

// The native XML format does not write an empty network name.
void ForgetForNativeXml(QDN_network& wrote, QDN_network& read) {
  QDN_header& name = wrote.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  if (name.GetName() && !*name.GetName())
    (void)read.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.SetName("");
}

const FormatCase kFormats[] = {
    {"Native", QDN_FORMAT_QDN, ".qdn", kEverything, false, 0, {0}, "nothing", nullptr},
    {"NativeXml",
     QDN_FORMAT_XQDN,
     ".xqdn",
     kNodeNames | kNodeComments | kNetworkId | kNetworkName | kNetworkComment | kTruthTables |
         kNoisyMax | kXml,
     false,
     1e-15,
     {0},
     "reals are written with 16 significant digits; the network's creation information and "
     "window rectangle; an empty network name (read back as the default name)",
     &ForgetForNativeXml},
    {"Hugin",
     QDN_FORMAT_HUGIN,
     ".net",
     kNodeNames,
     true,
     1e-12,
     {QDN_MAU, QDN_CAST, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION, 0},
     "node comments; the network's identifier, name and comment; submodels; truth-table and "
     "noisy-MAX kinds (written as their probability tables); tables come back normalized; "
     "diagnostic data, costs, documentation",
     nullptr},
    {"Netica",
     QDN_FORMAT_NETICA,
     ".dne",
     kNodeNames | kNodeComments | kNetworkId | kNetworkName | kNetworkComment | kTruthTables,
     false,
     0,
     {QDN_MAU, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION, 0},
     "submodels; noisy-MAX and CAST kinds (written as their probability tables); equation and MAU "
     "nodes (such networks are refused); user properties, "
     "diagnostic data, costs, documentation; screen data other than the position",
     nullptr},
    {"Msbn",
     QDN_FORMAT_MSBN,
     ".dsc",
     kNodeNames | kNetworkName,
     false,
     0,
     {QDN_MAU, QDN_CAST, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION, 0},
     "node comments; the network's identifier and comment; submodels; truth-table and "
     "noisy-MAX kinds (written as their probability tables); user properties, diagnostic "
     "data, costs, documentation",
     nullptr},
    {"Ergo",
     QDN_FORMAT_ERGO,
     ".erg",
     0,
     false,
     0,
     {QDN_NOISY_MAX, QDN_LIST, QDN_TABLE, QDN_MAU, QDN_CAST, QDN_EQUATION, QDN_EQUATION_SCC,
      QDN_DISTRIBUTION},
     "names and comments (nodes read back with their identifier as name and comment); the "
     "network's identifier, name and comment; the truth-table kind; every node kind but "
     "chance nodes (such networks are refused); everything but positions",
     nullptr},
    {"Xmlbif",
     QDN_FORMAT_XMLBIF,
     ".xml03",
     kNetworkId | kXml,
     false,
     0,
     {QDN_MAU, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION, 0},
     "node names and comments (NAME holds the identifier); the network's name and comment; "
     "truth-table, noisy-MAX and CAST kinds (written as their probability tables); MAU and "
     "equation nodes (such networks are refused); positions and "
     "everything else",
     nullptr},
    {"Bif",
     QDN_FORMAT_BIF,
     ".bif",
     kNodeNames | kNetworkId | kNetworkName,
     false,
     0,
     {QDN_LIST, QDN_TABLE, QDN_MAU, QDN_CAST, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION},
     "node comments and the network's comment; submodels; truth-table and noisy-MAX kinds "
     "(written as their probability tables); decision, utility, MAU, CAST and equation nodes "
     "(such networks are refused); diagnostic data, costs, documentation; screen data other "
     "than the position",
     nullptr},
    // Written by the extension: the native text layout, read back by the KI
    // reader, whose final pass rounds every cell to 5 decimals.
    {"Ki",
     QDN_FORMAT_BY_EXTENSION,
     ".dxp",
     kNodeNames | kNodeComments | kNetworkId | kNetworkName | kNetworkComment | kTruthTables |
         kNoisyMax,
     false,
     2e-5,
     {0},
     "cells rounded to 5 decimals; blanks at the ends of node names (trimmed); noisy-MAX "
     "strength orderings; CAST definitions; diagnostic data",
     nullptr},
};

// Corpus folders, the extensions of their files and the format that reads them.
struct Source {
  const char* folder;
  std::vector<std::string> extensions;
  int read_number;
};

const Source kSources[] = {
    {"hugin", {".net"}, QDN_FORMAT_HUGIN},
    {"netica", {".dne", ".dnet"}, QDN_FORMAT_NETICA},
    {"msbn", {".dsc"}, QDN_FORMAT_MSBN},
    {"xmlbif", {".xml03", ".xml", ".bifxml"}, QDN_FORMAT_XMLBIF},
    {"bif", {".bif", ".BIF"}, QDN_FORMAT_BIF},
};

// Known gaps: a network and format (or "reading", for the matrix's inputs)
// whose round trip still fails, for a reason outside the writers or for
// what a format cannot carry beyond its entry's description. An entry that
// no longer fails fails the test, so that it is removed.
struct KnownGap {
  const char* network; // file name or generated network name
  const char* format;
  const char* reason;
};

const KnownGap kKnownGaps[] = {
    // Not carried by the KI layout, which writes neither noisy-MAX strength
    // orderings nor CAST definitions: listed, not a fault.
    {"rich.qdn", "Ki", "noisy-MAX strengths and CAST definitions are not written"},
};

const KnownGap* FindGap(const std::string& network, const std::string& format) {
  for (const KnownGap& gap : kKnownGaps)
    if (network == gap.network && format == gap.format) return &gap;
  return nullptr;
}

// Reports problems, or, for a known gap, that the gap has closed.
void ExpectOrGap(const std::string& network, const std::string& format,
                 const std::vector<std::string>& problems) {
  if (const KnownGap* gap = FindGap(network, format)) {
    EXPECT_FALSE(problems.empty())
        << network << " in " << format << " passes now: remove its known-gap entry (" << gap->reason
        << ")";
    return;
  }
  for (const std::string& problem : problems)
    ADD_FAILURE() << network << " in " << format << ": " << problem;
}

// ---------------------------------------------------------------------------
// What a network holds, as far as a format carries it.

struct NodeView {
  std::string type;
  std::vector<std::string> outcomes;
  std::vector<std::string> parents;
  std::vector<double> cells;
  std::string equation;
  std::optional<std::string> name, comment;
};

struct NetworkView {
  std::optional<std::string> id, name, comment;
  std::map<std::string, NodeView> nodes;
  std::string everything; // the whole description, for kEverything formats
};

std::optional<std::string> Text(const char* text) {
  return text ? std::optional<std::string>(text) : std::nullopt;
}

bool IsChance(int type) {
  return type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX;
}

// Scales each distribution (the cells along the last dimension) to sum 1; a
// distribution that sums to 0 becomes uniform.
void Normalize(std::vector<double>& cells, int outcomes) {
  if (outcomes <= 0) return;
  for (size_t start = 0; start + static_cast<size_t>(outcomes) <= cells.size(); start += outcomes) {
    double sum = 0;
    for (int k = 0; k < outcomes; ++k)
      sum += cells[start + static_cast<size_t>(k)];
    for (int k = 0; k < outcomes; ++k)
      cells[start + static_cast<size_t>(k)] =
          sum == 0 ? 1.0 / outcomes : cells[start + static_cast<size_t>(k)] / sum;
  }
}

NetworkView View(QDN_network& net, const FormatCase& format) {
  NetworkView view;
  const QDN_header& header = net.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  if (format.carries & (kNetworkId | kEverything)) view.id = Text(header.GetId());
  if (format.carries & (kNetworkName | kEverything)) view.name = Text(header.GetName());
  if (format.carries & (kNetworkComment | kEverything)) view.comment = Text(header.GetComment());
  if (format.carries & kEverything) view.everything = DescribeNetwork(net);
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    QDN_node& node = *net.GetNode(h);
    NodeView& v = view.nodes[node.GetId() ? node.GetId() : "?"];
    QDN_nodeDefinition* d = node.GetDefinition();
    const int type = d ? d->GetType() : 0;
    v.type = d ? d->GetTypeName() : "none";
    if ((type == QDN_TRUTHTABLE && !(format.carries & (kTruthTables | kEverything))) ||
        (type == QDN_NOISY_MAX && !(format.carries & (kNoisyMax | kEverything))))
      v.type = "CPT";
    for (int i = 0; d && d->GetOutcomesNames() && i < d->GetOutcomesNames()->GetCount(); ++i)
      v.outcomes.emplace_back(d->GetOutcomesNames()->ViewAt(i));
    const QDN_intArray& parents = net.GetParents(h, 0);
    for (int i = 0; i < parents.GetCount(); ++i)
      v.parents.emplace_back(net.GetNode(parents.At(i))->GetId());
    const QDN_Dmatrix* table = d ? d->GetProbabilityTable() : nullptr;
    if (!table && d) table = d->GetTable();
    for (int i = 0; table && i < table->GetSize(); ++i)
      v.cells.push_back(table->At(i));
    if (type == QDN_EQUATION || type == QDN_EQUATION_SCC)
      v.equation = static_cast<QDN_equation*>(d)->GetEquation();
    if (format.normalizes && IsChance(type)) Normalize(v.cells, d->GetNumberOfOutcomes());
    if (format.carries & (kNodeNames | kEverything)) v.name = Text(node.GetName());
    if (format.carries & (kNodeComments | kEverything))
      v.comment = Text(node.GetInfo().header.GetComment());
  }
  return view;
}

std::string Show(const std::optional<std::string>& text) {
  return text ? "\"" + *text + "\"" : "none";
}

template <typename T> std::string Show(const std::vector<T>& items) {
  std::string out = "(";
  for (const auto& item : items) {
    if (out.size() > 1) out += " ";
    if constexpr (std::is_same_v<T, double>) {
      char number[32];
      std::snprintf(number, sizeof number, "%.17g", item);
      out += number;
    } else {
      out += item;
    }
    if (out.size() > 300) return out + " ...)";
  }
  return out + ")";
}

// The differences between what was written and what was read back; empty
// when they are equal.
std::vector<std::string> Differences(const NetworkView& want, const NetworkView& got,
                                     double tolerance) {
  std::vector<std::string> out;
  auto differ = [&](const std::string& what, const std::string& a, const std::string& b) {
    out.push_back(what + ": wrote " + a + ", read " + b);
  };
  if (want.id != got.id) differ("network identifier", Show(want.id), Show(got.id));
  if (want.name != got.name) differ("network name", Show(want.name), Show(got.name));
  if (want.comment != got.comment) differ("network comment", Show(want.comment), Show(got.comment));
  for (const auto& [id, node] : want.nodes) {
    const auto it = got.nodes.find(id);
    if (it == got.nodes.end()) {
      out.push_back("node " + id + " missing");
      continue;
    }
    const NodeView& back = it->second;
    const std::string at = "node " + id + " ";
    if (node.type != back.type) differ(at + "type", node.type, back.type);
    if (node.outcomes != back.outcomes)
      differ(at + "outcomes", Show(node.outcomes), Show(back.outcomes));
    if (node.parents != back.parents)
      differ(at + "parents", Show(node.parents), Show(back.parents));
    if (node.equation != back.equation) differ(at + "equation", node.equation, back.equation);
    if (node.name != back.name) differ(at + "name", Show(node.name), Show(back.name));
    if (node.comment != back.comment)
      differ(at + "comment", Show(node.comment), Show(back.comment));
    bool same = node.cells.size() == back.cells.size();
    for (size_t i = 0; same && i < node.cells.size(); ++i)
      same = node.cells[i] == back.cells[i] ||
             std::fabs(node.cells[i] - back.cells[i]) <= tolerance * (1 + std::fabs(node.cells[i]));
    if (!same) differ(at + "table", Show(node.cells), Show(back.cells));
  }
  for (const auto& [id, node] : got.nodes)
    if (!want.nodes.count(id)) out.push_back("extra node " + id);
  if (out.empty() && !SameDescriptions(want.everything, got.everything, tolerance)) {
    size_t at = 0;
    while (at < want.everything.size() && at < got.everything.size() &&
           want.everything[at] == got.everything[at])
      ++at;
    const size_t from = at > 150 ? at - 150 : 0;
    differ("description", want.everything.substr(from, 300), got.everything.substr(from, 300));
  }
  return out;
}

// ---------------------------------------------------------------------------
// Networks.

QDN_stringArray Names(std::initializer_list<std::string> names) {
  QDN_stringArray a;
  for (const std::string& n : names)
    (void)a.Append(n.c_str());
  return a;
}

QDN_cpt& Cpt(QDN_network& net, int handle) {
  return *static_cast<QDN_cpt*>(net.GetNode(handle)->GetDefinition());
}

// Long identifiers, titles and comments with line breaks, quotes, tabs and
// Latin-1 bytes, and outcomes whose original texts collide or hold blanks.
std::unique_ptr<QDN_network> TextsNetwork() {
  auto net = std::make_unique<QDN_network>();
  QDN_header& header = net->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  const std::string long_id =
      "A_network_identifier_long_enough_to_run_past_the_right_margin_of_a_line";
  (void)header.SetId(long_id.c_str());
  (void)header.SetName("A title long enough to be wrapped over two lines of the written file, "
                       "with \"quotes\", a back\\slash and caf\xe9 au lait.");
  (void)header.SetComment("First line of a comment.\nSecond line,\tafter a tab, and long enough "
                          "to need breaking somewhere in the middle of it.\n\nAfter an empty "
                          "line: na\xefve r\xe9sum\xe9 and a word longer than a line: "
                          "Pneumonoultramicroscopicsilicovolcanoconiosis_and_then_some_more_text.");
  const std::string parent_id(80, 'p');
  const std::string child_id = "Child_" + std::string(70, 'c');
  const int p = net->AddNode(QDN_CPT, parent_id.c_str());
  const std::string long_outcome = "outcome_" + std::string(72, 'o');
  (void)Cpt(*net, p).SetNumberOfOutcomes(Names({long_outcome, "short"}));
  (void)Cpt(*net, p).SetProbabilities(DoubleList({1.0 / 3, 2.0 / 3}));
  QDN_header& ph = net->GetNode(p)->GetInfo().header;
  (void)ph.SetName("Tuberculosis\nor Cancer, a node title that goes on and on past the margin");
  (void)ph.SetComment("Comment with \xe9t\xe9 and a\nline break.");
  const int c = net->AddNode(QDN_CPT, child_id.c_str());
  (void)net->AddArc(p, c, 0);
  (void)Cpt(*net, c).SetNumberOfOutcomes(Names({"low_value", "high", "x_"}));
  (void)Cpt(*net, c).SetProbabilities(DoubleList({1e-9, 0.25, 0.75 - 1e-9, 0.1, 0.2, 0.7}));
  // Original texts: one that maps back to its identifier, one that does not
  // ("very high" gives very_high), one that holds only a repaired character.
  QDN_extraDefinition& extra = *net->GetNode(c)->GetExtraDefinition();
  extra.GetOutcome(0).long_name = "low value";
  extra.GetOutcome(1).long_name = "very high";
  extra.GetOutcome(2).long_name = "x?";
  (void)net->GetNode(c)->GetInfo().header.SetName("Child");
  // Original texts that collide: both outcomes read from the same text.
  const int d = net->AddNode(QDN_CPT, "Duplicates");
  (void)net->AddArc(c, d, 0);
  (void)Cpt(*net, d).SetNumberOfOutcomes(Names({"same_text", "same_text0"}));
  (void)Cpt(*net, d).SetProbabilities(DoubleList({0.5, 0.5, 0.9, 0.1, 0, 1}));
  QDN_extraDefinition& dup = *net->GetNode(d)->GetExtraDefinition();
  dup.GetOutcome(0).long_name = "same text";
  dup.GetOutcome(1).long_name = "same text";
  return net;
}

// Noisy-MAX and truth-table nodes beside a chance node.
std::unique_ptr<QDN_network> KindsNetwork() {
  auto net = std::make_unique<QDN_network>();
  (void)net->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.SetId("Kinds");
  const int a = net->AddNode(QDN_CPT, "a");
  (void)Cpt(*net, a).SetNumberOfOutcomes(Names({"low", "mid", "high"}));
  (void)Cpt(*net, a).SetProbabilities(DoubleList({0.2, 0.3, 0.5}));
  const int b = net->AddNode(QDN_CPT, "b");
  (void)Cpt(*net, b).SetProbabilities(DoubleList({0.6, 0.4}));
  const int n = net->AddNode(QDN_NOISY_MAX, "noisy");
  (void)net->AddArc(a, n, 0);
  (void)net->AddArc(b, n, 0);
  auto& noisy = *static_cast<QDN_noisyMAX*>(net->GetNode(n)->GetDefinition());
  (void)noisy.SetDefinition(DoubleList({0.7, 0.3, 0.4, 0.6, 0, 1, 0.8, 0.2, 0, 1, 0.05, 0.95}));
  const int t = net->AddNode(QDN_TRUTHTABLE, "t");
  (void)net->AddArc(a, t, 0);
  (void)net->AddArc(b, t, 0);
  QDN_intArray states;
  for (int v : {1, 0, 1, 1, 0, 0})
    (void)states.Append(v);
  (void)static_cast<QDN_truthTable*>(net->GetNode(t)->GetDefinition())->SetResultingStates(states);
  return net;
}

// A node with a single state, as Hugin files have them, and its child.
std::unique_ptr<QDN_network> OneStateNetwork() {
  auto net = std::make_unique<QDN_network>();
  const std::string path = WriteTempFile("one-state.net", R"(net { }
node only { states = ("only"); }
node child { states = ("yes" "no"); }
potential (only) { data = (1); }
potential (child | only) { data = ((0.3 0.7)); }
)");
  EXPECT_EQ(net->ReadFile(path.c_str(), QDN_FORMAT_HUGIN, 0), QDN_NO_ERROR);
  return net;
}

const std::filesystem::path kCorpus = CALLBRIMA_CORPUS_DIR;

bool HaveCorpus() { return std::filesystem::exists(kCorpus / "SOURCES.md"); }

// Every corpus file with its reading format (malformed samples excluded).
std::vector<std::pair<std::filesystem::path, int>> CorpusFiles() {
  std::vector<std::pair<std::filesystem::path, int>> out;
  for (const Source& source : kSources) {
    const auto dir = kCorpus / source.folder;
    if (!std::filesystem::exists(dir)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      const std::string extension = entry.path().extension().string();
      bool wanted = false;
      for (const std::string& e : source.extensions)
        wanted = wanted || e == extension;
      // The malformed MSBN samples test the reader's recovery, not files.
      if (wanted && entry.path().string().find("causaliq-core") == std::string::npos)
        out.emplace_back(entry.path(), source.read_number);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// ---------------------------------------------------------------------------

bool Refuses(const FormatCase& format, QDN_network& net) {
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    const QDN_nodeDefinition* d = net.GetNode(h)->GetDefinition();
    for (int k = 0; d && k < 9 && format.refused[k]; ++k)
      if (d->GetType() == format.refused[k]) return true;
  }
  return false;
}

// Whether Expat parses text whole; the error and its line otherwise.
bool WellFormed(const std::string& text, std::string& error) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  const bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
  if (!ok)
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
            std::to_string(XML_GetCurrentLineNumber(parser));
  XML_ParserFree(parser);
  return ok;
}

// Writes net in format, reads it back and compares; returns the differences.
std::vector<std::string> RoundTrip(QDN_network& net, const FormatCase& format) {
  const std::string path = TempPath(std::string("matrix") + format.extension);
  ClearLog();
  const int written = net.WriteFile(path.c_str(), format.write_number);
  if (Refuses(format, net)) {
    // A refusal is an answer, never a silent loss: a logged message and a
    // failure status.
    EXPECT_LT(written, 0);
    EXPECT_GT(LoggedCount(), 0u);
    return {};
  }
  if (written != QDN_NO_ERROR) return {"write failed with " + std::to_string(written)};
  std::string error;
  if ((format.carries & kXml) && !WellFormed(ReadFileText(path), error))
    return {"not well-formed XML: " + error};
  QDN_network again;
  const int read = again.ReadFile(path.c_str(), format.write_number, 0);
  if (read != QDN_NO_ERROR) return {"read failed with " + std::to_string(read)};
  if (format.forget) format.forget(net, again);
  return Differences(View(net, format), View(again, format), format.tolerance);
}

// One input of the matrix: a generated network or a corpus file.
struct Input {
  std::string name;
  std::unique_ptr<QDN_network> (*make)() = nullptr; // a generated network
  std::filesystem::path file;                       // or a corpus file
  int read_number = 0;
};

std::vector<Input> Inputs() {
  std::vector<Input> out = {{"texts", &TextsNetwork, {}, 0},
                            {"kinds", &KindsNetwork, {}, 0},
                            {"one-state", &OneStateNetwork, {}, 0}};
  // The project's own samples hold the node kinds the corpus lacks (CAST,
  // MAU, equations, decisions and utilities with diagnostic data).
  for (const char* name : {"rich.qdn", "equations.qdn", "noisy_or.qdn"})
    out.push_back({name, nullptr,
                   std::filesystem::path(CALLBRIMA_SOURCE_DIR) / "fuzz/corpus/native" / name,
                   QDN_FORMAT_QDN});
  if (HaveCorpus())
    for (const auto& [file, read_number] : CorpusFiles())
      out.push_back({file.filename().string(), nullptr, file, read_number});
  return out;
}

// Test parameters print as their names.
void PrintTo(const Input& input, std::ostream* out) { *out << input.name; }

class RoundTripMatrix : public ::testing::TestWithParam<Input> {};

// Under the sanitizers the largest files take minutes; what they add there
// (more of the same tables) the optimized build checks.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_P(RoundTripMatrix, EveryFormat) {
  QDN_RegisterFormats();
  const Input& input = GetParam();
  if (kSanitized && !input.make && std::filesystem::file_size(input.file) > 500000)
    GTEST_SKIP() << "a large file: its round trips run in the optimized build only";
  std::unique_ptr<QDN_network> net;
  if (input.make) {
    net = input.make();
  } else {
    net = std::make_unique<QDN_network>();
    ASSERT_EQ(net->ReadFile(input.file.c_str(), input.read_number, 0), QDN_NO_ERROR);
  }
  for (const FormatCase& format : kFormats) {
    SCOPED_TRACE(format.name);
    ExpectOrGap(input.name, format.name, RoundTrip(*net, format));
  }
}

// Test names: the corpus path below the corpus folder, letters and digits only.
std::string InputName(const ::testing::TestParamInfo<Input>& info) {
  std::string name = info.param.make ? info.param.name
                                     : std::filesystem::relative(info.param.file, kCorpus).string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Networks, RoundTripMatrix, ::testing::ValuesIn(Inputs()), InputName);

TEST(RoundTripMatrixTest, CorpusIsThere) {
  if (!HaveCorpus())
    GTEST_SKIP() << "no model corpus at " << kCorpus << ": generated networks only";
  EXPECT_GT(CorpusFiles().size(), 40u);
}

// The matrix's inputs hold what their files hold.
TEST(RoundTripInputsTest, OneStateNodeKeepsTheFilesProbabilities) {
  auto net = OneStateNetwork();
  std::vector<std::string> problems;
  const int only = net->FindNode("only"), child = net->FindNode("child");
  ASSERT_GE(only, 0);
  ASSERT_GE(child, 0);
  const QDN_Dmatrix& prior = *net->GetNode(only)->GetDefinition()->GetTable();
  if (prior.GetSize() != 2 || prior.At(0) != 1 || prior.At(1) != 0)
    problems.push_back("P(only) is not 1 and the added state's is not 0");
  const QDN_Dmatrix& table = *net->GetNode(child)->GetDefinition()->GetTable();
  if (table.GetSize() != 4 || table.At(0) != 0.3 || table.At(1) != 0.7)
    problems.push_back("the child's row for only is not the file's");
  ExpectOrGap("one-state", "reading", problems);
}

TEST(RoundTripInputsTest, NeticaDiscretizedNodesAreRead) {
  if (!HaveCorpus()) GTEST_SKIP() << "no model corpus at " << kCorpus;
  QDN_network net;
  ASSERT_EQ(
      net.ReadFile((kCorpus / "netica" / "unbbayes" / "AirID.dne").c_str(), QDN_FORMAT_NETICA, 0),
      QDN_NO_ERROR);
  std::vector<std::string> problems;
  if (net.GetNumberOfNodes() != 11)
    problems.push_back(std::to_string(net.GetNumberOfNodes()) + " nodes of 11");
  ExpectOrGap("AirID.dne", "reading", problems);
}

} // namespace
