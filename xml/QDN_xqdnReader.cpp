// Reading native XML files: the "brima" schema and the "norix" presentation
// extension.
#include "xml/QDN_xqdnReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodel.h"
#include "network/QDN_submodelTree.h"
#include "xml/QDN_xmlValues.h"
#include "xml/QDN_xqdnFormat.h"

namespace {

using E = QDN_xmlElement;
constexpr int kR = E::kRequired;
constexpr int kM = E::kRepeatable;
constexpr int kInherit = E::kInherit;

constexpr int kInheritedFaultFormat = 4;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Calls word(text) for every run of non-blank characters; stops when it
// returns false and gives the position of that word, or -1.
template <typename Word> int ForEachWord(std::string_view text, Word word) {
  int position = 0;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i]))
      ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i]))
      ++i;
    if (i == start) break;
    if (!word(text.substr(start, i - start))) return position;
    ++position;
  }
  return -1;
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> out;
  (void)ForEachWord(text, [&](std::string_view word) {
    out.emplace_back(word);
    return true;
  });
  return out;
}

// One finite real in the whole of word (a leading "+" allowed).
bool ParseWord(std::string_view word, double& value) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size() && std::isfinite(value);
}

// Reals separated by white space; "n/a" is the not-applicable value where
// allowed. Returns the position of the first token that is not a number, or -1.
// The numbers are parsed in one pass into scratch, then stored at once.
int ReadReals(std::string_view text, QDN_doubleArray& out, bool allow_na,
              std::vector<double>& scratch) {
  scratch.clear();
  const char* at = text.data();
  const char* const end = at + text.size();
  int failed = -1;
  for (;;) {
    while (at < end && IsBlank(*at))
      ++at;
    if (at == end) break;
    double value = 0;
    // Plain decimals, nearly all numbers written, take the fast conversion;
    // it gives what from_chars gives for them.
    const size_t taken =
        QDN_ParsePlainDecimal(std::string_view(at, static_cast<size_t>(end - at)), value);
    if (taken > 0 && (at + taken == end || IsBlank(at[taken]))) {
      scratch.push_back(value);
      at += taken;
      continue;
    }
    const auto [next, error] = std::from_chars(at, end, value);
    // Not-a-number and infinity are no probabilities, utilities or weights.
    if (error == std::errc() && (next == end || IsBlank(*next)) && std::isfinite(value)) {
      scratch.push_back(value);
      at = next;
      continue;
    }
    // Not a plain number: the whole word decides.
    const char* word_end = at;
    while (word_end < end && !IsBlank(*word_end))
      ++word_end;
    const std::string_view word(at, static_cast<size_t>(word_end - at));
    if (allow_na && word == "n/a") {
      value = kNotApplicableValue;
    } else if (!ParseWord(word, value)) {
      failed = static_cast<int>(scratch.size());
      break;
    }
    scratch.push_back(value);
    at = word_end;
  }
  const int parsed = static_cast<int>(scratch.size());
  if (out.SwapValues(scratch) < 0 && failed < 0) failed = parsed;
  return failed;
}

int ReadInts(std::string_view text, QDN_intArray& out) {
  return ForEachWord(text, [&](std::string_view word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && out.Append(value) >= 0;
  });
}

std::string VersionMessage(const std::string& version) {
  return "Invalid version number '" + version +
         "', expected '1.0'\nPlease download most recent version of BRIMA/Norix from:\n" +
         kXqdnWebAddress;
}

int FaultFormat(const std::string& text) {
  static constexpr const char* kNames[] = {"user", "node", "state", "nodestate", "inherit"};
  for (int i = 0; i < 5; ++i)
    if (text == kNames[i]) return i;
  return -1;
}

} // namespace

QDN_xqdnReader::QDN_xqdnReader(QDN_network* network, const char* fileName)
    : network_(network), file_(fileName ? fileName : ""), submodels_{QDN_network::kMainSubmodel} {}

int QDN_xqdnReader::Run() {
  BuildSchema();
  network_->SetSampleCount(1000);
  const bool ok = reader_.Load(file_.c_str(), brima_, this);
  if (unknown_)
    QDN_Log(-100, (std::string("File contains unknown elements and/or attributes. Please "
                               "download most recent version of "
                               "BRIMA/Norix from:\n") +
                   kXqdnWebAddress)
                      .c_str());
  return ok ? QDN_NO_ERROR : QDN_FILE_IO_FAILED;
}

void QDN_xqdnReader::OnError(const std::string& message, int line, int column) {
  QDN_Log(QDN_FILE_IO_FAILED, ("Error at " + std::to_string(line) + ", " + std::to_string(column) +
                               " while loading " + file_ + ": " + message)
                                  .c_str());
}

void QDN_xqdnReader::OnUnknownElement(const std::string& element, const std::string&, int line,
                                      int column) {
  unknown_ = true;
  QDN_Log(-100, ("Warning: Ignored unknown element '" + element + "' at " + std::to_string(line) +
                 ", " + std::to_string(column) + " while loading " + file_)
                    .c_str());
}

void QDN_xqdnReader::OnUnknownAttribute(const std::string& element, const std::string& attribute,
                                        int line, int column) {
  unknown_ = true;
  QDN_Log(-100, ("Warning: Ignored unknown attribute '" + attribute + "' in '" + element + "' at " +
                 std::to_string(line) + ", " + std::to_string(column) + " while loading " + file_)
                    .c_str());
}

E* QDN_xqdnReader::Make(const char* name, int mode,
                        std::initializer_list<std::pair<const char*, bool>> attributes) {
  E* element = reader_.CreateElement(name, mode);
  made_.push_back(element);
  for (const auto& [attribute, required] : attributes)
    element->AddAttribute(attribute, required);
  return element;
}

std::string QDN_xqdnReader::Attribute(const char* name) {
  std::string text;
  reader_.GetStringAttribute(name, text);
  return text;
}

QDN_node* QDN_xqdnReader::Node() const {
  return pending_.handle >= 0 ? network_->GetNode(pending_.handle) : nullptr;
}

QDN_submodel& QDN_xqdnReader::TopSubmodel() {
  return *network_->GetSubmodels().GetSubmodel(submodels_.back());
}

QDN_extraDefinition* QDN_xqdnReader::NorixExtra() const {
  QDN_node* target = norix_node_ >= 0 ? network_->GetNode(norix_node_) : nullptr;
  return target ? target->GetExtraDefinition() : nullptr;
}

bool QDN_xqdnReader::Reals(QDN_doubleArray& out, const char* what, bool allow_na) {
  out.Clear();
  const int failed = ReadReals(reader_.GetText(), out, allow_na, scratch_);
  if (failed < 0) return true;
  Fail(std::string(what) + std::to_string(failed));
  return false;
}

void QDN_xqdnReader::ApplyRecord(const Record& record, QDN_header& header, QDN_screenInfo& screen) {
  if (record.name) (void)header.SetName(record.name->c_str());
  if (record.comment) (void)header.SetComment(record.comment->c_str());
  if (record.position) screen.position = *record.position;
  if (record.interior) screen.color = *record.interior;
  if (record.outline) screen.border_color = *record.outline;
  if (record.width) screen.border_thickness = *record.width;
}

bool QDN_xqdnReader::ReadColor(int& color) {
  const std::string text = Attribute("color");
  if (QDN_ParseColor(text, color)) return true;
  Fail("Color specification 'rrggbb' expected");
  return false;
}

void QDN_xqdnReader::StoreRepairedLabel(QDN_extraDefinition& extra, const std::string& state,
                                        const std::string& label) {
  QDN_idArray others;
  for (int i = 0; i < extra.GetNumberOfOutcomes(); ++i)
    if (i != norix_state_ && extra.GetOutcome(i).fault_label)
      (void)others.Append(extra.GetOutcome(i).fault_label.c_str());
  std::string repaired;
  if (others.CreateUniqueId(label.c_str(), -1, repaired) != QDN_NO_ERROR ||
      extra.SetFaultLabel(norix_state_, repaired.c_str()) != QDN_NO_ERROR)
    repaired.clear();
  const char* node = network_->GetNode(norix_node_)->GetId();
  QDN_Log(QDN_XML_ERROR, ("Warning: Fault label '" + label + "' of state '" + state +
                          "' of node '" + node + "' is not a unique identifier; " +
                          (repaired.empty() ? "not stored" : "stored as '" + repaired + "'") +
                          " while loading " + file_)
                             .c_str());
}

// The "brima" document.

void QDN_xqdnReader::BuildSchema() {
  brima_ = Make("brima", 0, {{"version", true}, {"id", true}, {"numsamples", false}});
  BuildHeader();
  BuildNodes();
  BuildObservationCosts();
  E* extensions = Make("extensions", 0);
  brima_->AddChild(extensions, 0);
  BuildNorix(extensions);
  // Elements made of other elements have no text of their own.
  for (E* element : made_)
    if (element->HasChildren()) element->IgnoreText();
}

// The document element's attributes, the algorithm parameters and the
// network's properties.
void QDN_xqdnReader::BuildHeader() {
  brima_->OnStart([this] {
    const std::string id = Attribute("id");
    (void)network_->GetSubmodels()
        .GetSubmodel(QDN_network::kMainSubmodel)
        ->header.SetId(id.c_str());
    const std::string version = Attribute("version");
    double value = 0;
    if (!reader_.GetDoubleAttribute("version", value, 0) || value != 1.0)
      return Fail(VersionMessage(version));
    int samples = 1000;
    if (reader_.GetIntAttribute("numsamples", samples, 1000)) network_->SetSampleCount(samples);
  });

  E* algparams = Make("algparams", kInherit);
  brima_->AddChild(algparams, 0);
  E* epis = Make("epis", kInherit,
                 {{"proplen", true},
                  {"numstates1", true},
                  {"numstates2", true},
                  {"numstates3", true},
                  {"eps1", true},
                  {"eps2", true},
                  {"eps3", true},
                  {"eps4", true}});
  algparams->AddChild(epis, 0);
  epis->OnStart([this] {
    QDN_episParameters p;
    if (!reader_.GetIntAttribute("proplen", p.proplen, p.proplen) ||
        !reader_.GetIntAttribute("numstates1", p.numstates1, p.numstates1) ||
        !reader_.GetIntAttribute("numstates2", p.numstates2, p.numstates2) ||
        !reader_.GetIntAttribute("numstates3", p.numstates3, p.numstates3) ||
        !reader_.GetDoubleAttribute("eps1", p.eps1, p.eps1) ||
        !reader_.GetDoubleAttribute("eps2", p.eps2, p.eps2) ||
        !reader_.GetDoubleAttribute("eps3", p.eps3, p.eps3) ||
        !reader_.GetDoubleAttribute("eps4", p.eps4, p.eps4))
      return;
    if (network_->SetEpisParameters(p) != QDN_NO_ERROR) Fail("Invalid EPIS parameters");
  });

  E* properties = Make("properties", kInherit);
  brima_->AddChild(properties, 0);
  E* property = Make("property", kInherit, {{"id", true}});
  properties->AddChild(property, kM);
  property->OnStart([this] { property_id_ = Attribute("id"); });
  property->OnEnd([this] {
    if (network_->GetProperties().AddProperty(property_id_.c_str(),
                                              reader_.GetUnescapedText().c_str()) < 0)
      Fail("Can't add network property '" + property_id_ + "'");
  });
}

void QDN_xqdnReader::BuildNodes() {
  E* nodes = Make("nodes", kInherit);
  brima_->AddChild(nodes, 0);
  nodes->OnEnd([this] {
    for (const auto& [handle, text] : coupled_equations_) {
      auto* equation = dynamic_cast<QDN_equation*>(network_->GetNode(handle)->GetDefinition());
      if (!equation || equation->SetEquation(text) != QDN_NO_ERROR)
        return Fail("Invalid equation: " + text);
    }
    coupled_equations_.clear();
  });
  BuildNodeKinds(nodes);
}

// One element per kind of node, with the children every node has (states
// where the kind has them, parents, properties) and those of its definition.
void QDN_xqdnReader::BuildNodeKinds(E* nodes) {
  E* state = Make("state", kInherit, {{"id", true}, {"default", false}, {"fault", false}});
  state->OnStart([this] {
    const std::string id = Attribute("id");
    if (pending_.states.IndexOf(id.c_str()) >= 0)
      return Fail("Duplicate state identifier '" + id + "'");
    bool is_default = false, fault = false;
    if (!reader_.GetBoolAttribute("default", is_default, false) ||
        !reader_.GetBoolAttribute("fault", fault, false))
      return;
    if (is_default) {
      if (pending_.default_state >= 0)
        return Fail("Duplicate default state attribute at state '" + id + "'");
      pending_.default_state = pending_.states.GetCount();
    }
    if (fault) (void)pending_.faults.Append(pending_.states.GetCount());
    (void)pending_.states.Append(id.c_str());
  });
  E* parents = Make("parents", kInherit);
  parents->OnEnd([this] { ParentsEnd(pending_.parents); });
  E* node_property = Make("property", kInherit, {{"id", true}});
  node_property->OnStart([this] { property_id_ = Attribute("id"); });
  node_property->OnEnd([this] {
    QDN_node* node = Node();
    if (!node || node->GetInfo().properties.AddProperty(property_id_.c_str(),
                                                        reader_.GetUnescapedText().c_str()) < 0)
      Fail("Can't add node property '" + property_id_ + "'");
  });
  struct Kind {
    const char* name;
    int type;
    bool states;
  };
  for (const Kind& kind : {Kind{"cpt", QDN_CPT, true}, Kind{"deterministic", QDN_TRUTHTABLE, true},
                           Kind{"decision", QDN_LIST, true}, Kind{"utility", QDN_TABLE, false},
                           Kind{"mau", QDN_MAU, false}, Kind{"equation", QDN_EQUATION, false},
                           Kind{"equationscc", QDN_EQUATION_SCC, false},
                           Kind{"cast", QDN_CAST, false}, Kind{"noisymax", QDN_NOISY_MAX, true}}) {
    E* element = Make(kind.name, kInherit,
                      {{"id", true},
                       {"target", false},
                       {"diagtype", false},
                       {"ranked", false},
                       {"mandatory", false}});
    nodes->AddChild(element, kM);
    const int type = kind.type;
    element->OnStart([this, type] { NodeStart(type); });
    element->OnEnd([this, type] { NodeEnd(type); });
    if (kind.states) element->AddChild(state, kR | kM);
    element->AddChild(parents, 0);
    element->AddChild(node_property, kM);
    BuildDefinitionElements(element, type);
  }
}

E* QDN_xqdnReader::BuildNumbers(const char* name, int flags, E* parent) {
  E* element = Make(name, flags == kR ? 0 : kInherit);
  parent->AddChild(element, flags);
  element->OnEnd([this] {
    pending_.has_numbers = true;
    (void)Reals(pending_.numbers, "Can't read double list, failed at element ");
  });
  return element;
}

void QDN_xqdnReader::BuildDefinitionElements(E* element, int type) {
  switch (type) {
  case QDN_CPT:
    BuildNumbers("probabilities", kR, element);
    break;
  case QDN_TABLE:
    BuildNumbers("utilities", kR, element);
    break;
  case QDN_MAU:
    BuildNumbers("weights", kR, element);
    break;
  case QDN_TRUTHTABLE: {
    E* resulting = Make("resultingstates", kInherit);
    element->AddChild(resulting, kR);
    resulting->OnEnd([this] {
      pending_.resulting.Clear();
      for (const std::string& word : SplitWords(reader_.GetText()))
        (void)pending_.resulting.Append(word.c_str());
    });
    break;
  }
  case QDN_EQUATION:
  case QDN_EQUATION_SCC: {
    E* definition = Make("definition", kInherit);
    element->AddChild(definition, kR);
    definition->OnEnd([this] { pending_.equation = std::string(reader_.GetText()); });
    break;
  }
  case QDN_CAST:
    BuildCastElements(element);
    break;
  case QDN_NOISY_MAX:
    BuildNoisyMaxElements(element);
    break;
  default:
    break;
  }
}

void QDN_xqdnReader::BuildCastElements(E* element) {
  E* baseline = Make("baseline", kInherit);
  element->AddChild(baseline, kR);
  baseline->OnEnd([this] {
    QDN_doubleArray value;
    if (ReadReals(reader_.GetText(), value, false, scratch_) >= 0 || value.GetCount() != 1)
      return Fail("Can't read baseline");
    pending_.baseline = value.At(0);
  });
  for (bool positive : {true, false}) {
    E* weights = Make(positive ? "pweights" : "nweights", kInherit);
    element->AddChild(weights, 0);
    weights->OnEnd([this, positive] {
      (positive ? pending_.has_pweights : pending_.has_nweights) = true;
      (void)Reals(positive ? pending_.pweights : pending_.nweights,
                  "Can't read double list, failed at element ");
    });
  }
}

void QDN_xqdnReader::BuildNoisyMaxElements(E* element) {
  E* strengths = Make("strengths", kInherit);
  element->AddChild(strengths, 0);
  strengths->OnEnd([this] {
    pending_.has_strengths = true;
    pending_.strengths.Clear();
    const int failed = ReadInts(reader_.GetText(), pending_.strengths);
    if (failed >= 0) Fail("Can't read integer list, failed at element " + std::to_string(failed));
  });
  BuildNumbers("parameters", 0, element);
}

void QDN_xqdnReader::BuildObservationCosts() {
  E* observation = Make("observationcost", kInherit);
  brima_->AddChild(observation, 0);
  E* cost_node = Make("node", kInherit, {{"id", true}});
  observation->AddChild(cost_node, kM);
  cost_node->OnStart([this] {
    const std::string id = Attribute("id");
    cost_node_ = network_->FindNode(id.c_str());
    cost_parents_.Clear();
    costs_.reset();
    if (cost_node_ < 0) Fail("Invalid node identifier '" + id + "'");
  });
  cost_node->OnEnd([this] { CostNodeEnd(); });
  E* cost_parents = Make("parents", kInherit);
  cost_node->AddChild(cost_parents, 0);
  cost_parents->OnEnd([this] { ParentsEnd(cost_parents_); });
  E* cost = Make("cost", kInherit);
  cost_node->AddChild(cost, kR);
  cost->OnEnd([this] {
    QDN_doubleArray costs;
    if (!Reals(costs, "Can't read node cost, failed at element ", true)) return;
    costs_ = std::move(costs);
  });
}

// Parents and costs may come in either order: both are applied when the
// node's element ends, the cost arcs first.
void QDN_xqdnReader::CostNodeEnd() {
  if (cost_node_ < 0) return;
  for (int i = 0; i < cost_parents_.GetCount(); ++i)
    if (network_->AddArc(cost_parents_.At(i), cost_node_, QDN_network::kCostArc) != QDN_NO_ERROR)
      return Fail("AddArc failed");
  QDN_costDefinition& definition = network_->GetNode(cost_node_)->GetCost();
  if (!costs_ || costs_->GetCount() == 0) {
    definition.ClearCosts();
  } else if (definition.SetCosts(costs_->Data(), costs_->GetCount()) < 0) {
    return Fail("Wrong number of node costs");
  }
  cost_node_ = -1;
}

void QDN_xqdnReader::ParentsEnd(QDN_intArray& out) {
  out.Clear();
  std::string& id = word_;
  (void)ForEachWord(reader_.GetText(), [&](std::string_view word) {
    id.assign(word);
    const int parent = network_->FindNode(id.c_str());
    if (parent < 0) {
      Fail("Node parent '" + id + "' not found");
      return false;
    }
    if (out.IndexOf(parent) >= 0) {
      Fail("Duplicate parent '" + id + "'");
      return false;
    }
    (void)out.Append(parent);
    return true;
  });
}

void QDN_xqdnReader::NodeStart(int type) {
  const std::string id = Attribute("id");
  bool target = false, ranked = false, mandatory = false;
  if (!reader_.GetBoolAttribute("target", target, false) ||
      !reader_.GetBoolAttribute("ranked", ranked, false) ||
      !reader_.GetBoolAttribute("mandatory", mandatory, false))
    return;
  const std::string diagtype = Attribute("diagtype");
  int trouble = QDN_extraDefinition::kAuxiliary;
  if (diagtype == "target") {
    trouble = QDN_extraDefinition::kTarget;
  } else if (diagtype == "observation") {
    trouble = QDN_extraDefinition::kObservation;
  } else if (!diagtype.empty() && diagtype != "auxiliary") {
    return Fail("Unknown diagnosis node type: '" + diagtype + "'");
  }
  // The previous node's numbers are in the network by now: their storage
  // goes back to the scratch list, which the next numbers fill without
  // growing again.
  (void)pending_.numbers.SwapValues(scratch_);
  // A fresh record, made in place: assigning one would copy every empty
  // array of it, as the arrays have no move assignment.
  std::destroy_at(&pending_);
  std::construct_at(&pending_);
  pending_.handle = network_->AddNode(type, id.c_str());
  if (pending_.handle < 0) return Fail("BRIMA failed to create node '" + id + "'");
  if (target) (void)network_->SetTarget(pending_.handle);
  if (QDN_extraDefinition* extra = Node()->GetExtraDefinition()) {
    extra->troubleType = trouble;
    extra->ranked = ranked;
    extra->mandatory = mandatory;
  }
}

void QDN_xqdnReader::NodeEnd(int type) {
  QDN_node* node = Node();
  if (!node) return;
  if (!node->GetDefinition())
    return Fail("BRIMA failed to create node '" + std::string(node->GetId()) + "'");
  // Outcomes first: the table is then laid out once per parent instead of
  // once per parent and again for every parent when the outcomes change.
  ApplyOutcomes(*node);
  if (reader_.HasFailed()) return;
  for (int i = 0; i < pending_.parents.GetCount(); ++i)
    if (network_->AddArc(pending_.parents.At(i), pending_.handle, 0) != QDN_NO_ERROR)
      return Fail("AddArc failed");
  ApplyDefinition(*node, type);
  if (reader_.HasFailed()) return;
  pending_.handle = -1;
}

void QDN_xqdnReader::ApplyOutcomes(QDN_node& node) {
  if (pending_.states.GetCount() == 0) return;
  if (node.GetDefinition()->SetNumberOfOutcomes(pending_.states) != QDN_NO_ERROR)
    return Fail("SetNumberOfOutcomes failed");
  QDN_extraDefinition* extra = node.GetExtraDefinition();
  if (!extra) return;
  if (pending_.default_state >= 0) {
    (void)extra->SetDefaultState(pending_.default_state);
    extra->set_as_default = true;
  }
  if (pending_.faults.GetCount() > 0) (void)extra->SetFaultStateIndices(pending_.faults);
}

// The definition's own numbers or texts, once outcomes and parents are in
// place.
void QDN_xqdnReader::ApplyDefinition(QDN_node& node, int type) {
  QDN_nodeDefinition* definition = node.GetDefinition();
  switch (type) {
  case QDN_CPT:
    if (static_cast<QDN_cpt*>(definition)->SetProbabilities(pending_.numbers) != QDN_NO_ERROR)
      return Fail("SetProbabilities failed");
    break;
  case QDN_TRUTHTABLE:
    if (static_cast<QDN_truthTable*>(definition)->SetResultingStates(pending_.resulting) !=
        QDN_NO_ERROR)
      return Fail("SetResultingStates failed");
    break;
  case QDN_TABLE:
    if (static_cast<QDN_table*>(definition)->SetUtilities(pending_.numbers) != QDN_NO_ERROR)
      return Fail("SetUtilities failed");
    break;
  case QDN_MAU:
    if (static_cast<QDN_mau*>(definition)->SetWeights(pending_.numbers) != QDN_NO_ERROR)
      return Fail("SetWeights failed");
    break;
  case QDN_CAST:
    return ApplyCast(node);
  case QDN_NOISY_MAX:
    return ApplyNoisyMax(node);
  case QDN_EQUATION: {
    // The equation is set once the parents are in place, so it may name them.
    auto* equation = dynamic_cast<QDN_equation*>(definition);
    if (pending_.equation &&
        (!equation || equation->SetEquation(*pending_.equation) != QDN_NO_ERROR))
      return Fail("Invalid equation: " + *pending_.equation);
    break;
  }
  case QDN_EQUATION_SCC:
    if (pending_.equation)
      coupled_equations_.emplace_back(pending_.handle, std::move(*pending_.equation));
    break;
  default:
    break;
  }
}

void QDN_xqdnReader::ApplyCast(QDN_node& node) {
  auto* cast = static_cast<QDN_cast*>(node.GetDefinition());
  if (!pending_.baseline || cast->SetBaseline(*pending_.baseline) != QDN_NO_ERROR)
    return Fail("SetBaseline failed");
  // Positive and negative weights come together: one list alone would leave
  // the other at zero without a word.
  const bool weights = pending_.has_pweights || pending_.has_nweights;
  if (weights && cast->SetPositiveWeights(pending_.pweights) != QDN_NO_ERROR)
    return Fail("SetPositiveWeights failed");
  if (weights && cast->SetNegativeWeights(pending_.nweights) != QDN_NO_ERROR)
    return Fail("SetNegativeWeights failed");
}

// Strengths and parameters are checked against the node's parents before
// they replace anything.
void QDN_xqdnReader::ApplyNoisyMax(QDN_node& node) {
  auto* noisy = static_cast<QDN_noisyMAX*>(node.GetDefinition());
  const QDN_intArray& strengths = pending_.strengths;
  if (pending_.has_strengths) {
    int next = 0;
    for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i) {
      const int length = noisy->GetStrengths(i).GetCount();
      if (next + length > strengths.GetCount()) return Fail("Wrong number of noisy-MAX strengths");
      QDN_intArray run;
      for (int k = 0; k < length; ++k)
        (void)run.Append(strengths.At(next + k));
      next += length;
      if (noisy->SetParentOutcomeStrengths(i, run) != QDN_NO_ERROR)
        return Fail("Invalid noisy-MAX strengths for parent " + std::to_string(i));
    }
    if (next != strengths.GetCount()) return Fail("Wrong number of noisy-MAX strengths");
  }
  if (pending_.has_numbers) {
    QDN_Dmatrix parameters(*noisy->GetTable());
    if (pending_.numbers.GetCount() != parameters.GetSize())
      return Fail("Wrong number of noisy-MAX parameters");
    for (int i = 0; i < parameters.GetSize(); ++i)
      parameters.At(i) = pending_.numbers.At(i);
    if (noisy->SetDefinition(parameters) != QDN_NO_ERROR)
      return Fail("Invalid noisy-MAX parameters");
  }
}

// The "norix" presentation extension.

void QDN_xqdnReader::BuildNorix(E* extensions) {
  E* norix = BuildNorixRoot(extensions);
  E* node = Make("node", kInherit, {{"id", true}, {"faultnameformat", false}});
  E* submodel = Make("submodel", kInherit, {{"id", true}});
  E* textbox = Make("textbox", kInherit);
  for (E* container : {norix, submodel}) {
    container->AddChild(node, kM);
    container->AddChild(submodel, kM);
    container->AddChild(textbox, kM);
  }
  E* arccomment =
      Make("arccomment", kInherit, {{"parent", true}, {"child", true}, {"cost", false}});
  norix->AddChild(arccomment, kM);
  norix->AddChild(Make("diagautoformat", kInherit,
                       {{"target", true},
                        {"targetnr", true},
                        {"observation", true},
                        {"observationnr", true},
                        {"auxiliary", true}}),
                  0);
  const auto [comment, position] = BuildPresentation({node, submodel});
  BuildSubmodel(submodel);
  BuildTextBox(textbox, comment, position);
  BuildNorixNode(node);
}

E* QDN_xqdnReader::BuildNorixRoot(E* extensions) {
  E* norix = Make("norix", 0, {{"version", true}, {"name", true}, {"faultnameformat", false}});
  extensions->AddChild(norix, kR);
  norix->OnStart([this] {
    const std::string version = Attribute("version");
    double value = 0;
    if (!reader_.GetDoubleAttribute("version", value, 0) || value != 1.0)
      return Fail(VersionMessage(version));
    const std::string name = Attribute("name");
    if (!name.empty())
      (void)network_->GetSubmodels()
          .GetSubmodel(QDN_network::kMainSubmodel)
          ->header.SetName(name.c_str());
    std::string format = Attribute("faultnameformat");
    if (format.empty()) format = "user";
    const int value_format = FaultFormat(format);
    if (value_format == kInheritedFaultFormat)
      return Fail("Inherited fault name format not allowed here");
    if (value_format < 0) return Fail("Invalid fault name format: '" + format + "'");
    network_->SetFaultNameFormat(value_format);
  });
  E* norix_comment = Make("comment", kInherit);
  norix->AddChild(norix_comment, 0);
  norix_comment->OnEnd([this] {
    (void)network_->GetSubmodels()
        .GetSubmodel(QDN_network::kMainSubmodel)
        ->header.SetComment(reader_.GetUnescapedText().c_str());
  });
  return norix;
}

// The name, comment, position, font and colours of nodes and submodels,
// collected in the innermost record. Gives the comment and position
// elements, which text boxes share.
std::pair<E*, E*> QDN_xqdnReader::BuildPresentation(std::initializer_list<E*> containers) {
  E* name = Make("name", kInherit);
  // A name is plain text: backslashes in it are its own.
  name->OnEnd([this] { records_.back().name = std::string(reader_.GetText()); });
  E* comment = Make("comment", kInherit);
  comment->OnEnd([this] { records_.back().comment = reader_.GetUnescapedText(); });
  E* position = Make("position", kInherit);
  position->OnEnd([this] {
    QDN_rectangle rectangle;
    if (!QDN_ParsePosition(reader_.GetText(), rectangle)) return Fail("Can't read object position");
    records_.back().position = rectangle;
  });
  E* font =
      Make("font", kInherit,
           {{"name", true}, {"size", true}, {"color", true}, {"bold", false}, {"italic", false}});
  E* interior = Make("interior", kInherit, {{"color", true}});
  interior->OnStart([this] {
    int color = 0;
    if (ReadColor(color)) records_.back().interior = color;
  });
  E* outline = Make("outline", kInherit, {{"color", true}, {"width", false}});
  outline->OnStart([this] {
    Record& record = records_.back();
    int width = 0;
    if (!reader_.GetIntAttribute("width", width, record.width.value_or(1))) return;
    if (width < 1) return Fail("Invalid width attribute");
    int color = 0;
    if (!ReadColor(color)) return;
    record.width = width;
    record.outline = color;
  });
  for (E* container : containers) {
    container->AddChild(name, kR);
    container->AddChild(comment, 0);
    container->AddChild(position, kR);
    container->AddChild(font, kR);
    container->AddChild(interior, kR);
    container->AddChild(outline, kR);
  }
  return {comment, position};
}

void QDN_xqdnReader::BuildSubmodel(E* submodel) {
  E* window = Make("window", kInherit);
  submodel->AddChild(window, 0);
  window->OnEnd([this] {
    QDN_rectangle rectangle;
    if (!QDN_ParsePosition(reader_.GetText(), rectangle)) return Fail("Can't read object position");
    TopSubmodel().window_position = rectangle;
  });
  submodel->OnStart([this] {
    const std::string id = Attribute("id");
    const int handle = network_->GetSubmodels().AddSubmodel(submodels_.back(), id.c_str());
    if (handle < 0) return Fail("Can't create submodel '" + id + "'");
    submodels_.push_back(handle);
    records_.emplace_back();
  });
  submodel->OnEnd([this] {
    QDN_submodel& target = TopSubmodel();
    ApplyRecord(records_.back(), target.header, target.screen);
    records_.pop_back();
    submodels_.pop_back();
  });
}

void QDN_xqdnReader::BuildTextBox(E* textbox, E* comment, E* position) {
  E* caption = Make("caption", kInherit);
  caption->OnEnd([this] { records_.back().name = reader_.GetUnescapedText(); });
  E* textbox_font = Make("font", kInherit,
                         {{"name", true},
                          {"size", true},
                          {"color", true},
                          {"bold", false},
                          {"italic", false},
                          {"align", false}});
  textbox->AddChild(caption, kR);
  textbox->AddChild(comment, 0);
  textbox->AddChild(position, kR);
  textbox->AddChild(textbox_font, kR);
  textbox->OnStart([this] { records_.emplace_back(); });
  textbox->OnEnd([this] {
    QDN_screenComment box;
    box.text = records_.back().name.value_or("");
    if (records_.back().position) box.position = *records_.back().position;
    TopSubmodel().screen_comments.push_back(std::move(box));
    records_.pop_back();
  });
}

void QDN_xqdnReader::BuildNorixNode(E* node) {
  node->OnStart([this] { NorixNodeStart(); });
  node->OnEnd([this] {
    QDN_node& target = *network_->GetNode(norix_node_);
    ApplyRecord(records_.back(), target.GetInfo().header, target.GetInfo().screen);
    records_.pop_back();
    norix_node_ = -1;
  });
  for (const char* name_of : {"defcomment", "costcomment"})
    node->AddChild(Make(name_of, kInherit, {{"row", true}, {"col", true}}), kM);
  node->AddChild(
      Make("barchart", kInherit, {{"active", false}, {"width", false}, {"height", false}}), 0);
  BuildNorixStates(node);
}

void QDN_xqdnReader::NorixNodeStart() {
  const std::string id = Attribute("id");
  norix_node_ = network_->FindNode(id.c_str());
  if (norix_node_ < 0) return Fail("Node '" + id + "' doesn't exist in BRIMA network");
  const auto seen = static_cast<size_t>(norix_node_);
  if (seen >= seen_nodes_.size()) seen_nodes_.resize(std::max(seen + 1, 2 * seen_nodes_.size()));
  if (seen_nodes_[seen]) return Fail("Duplicate node id: '" + id + "'");
  seen_nodes_[seen] = 1;
  QDN_node& target = *network_->GetNode(norix_node_);
  (void)target.SetSubmodel(submodels_.back());
  records_.emplace_back();
  std::string format = Attribute("faultnameformat");
  if (format.empty()) format = "inherit";
  const int value = FaultFormat(format);
  if (value < 0) return Fail("Invalid fault name format: '" + format + "'");
  if (QDN_extraDefinition* extra = target.GetExtraDefinition()) extra->show_as = value;
}

// The states of a node with their fault labels, fixes, comments and links,
// and the node's question and links.
void QDN_xqdnReader::BuildNorixStates(E* node) {
  E* state = Make("state", kInherit, {{"id", true}, {"globalid", true}, {"faultname", false}});
  node->AddChild(state, kM);
  state->OnStart([this] { NorixStateStart(); });
  state->OnEnd([this] { norix_state_ = -1; });

  E* link = Make("link", kInherit, {{"title", true}, {"path", true}});
  node->AddChild(link, kM);
  state->AddChild(link, kM);
  link->OnStart([this] { LinkStart(); });
  E* question = Make("question", kInherit);
  node->AddChild(question, 0);
  question->OnEnd([this] {
    if (QDN_extraDefinition* extra = NorixExtra()) extra->question = reader_.GetUnescapedText();
  });
  E* fix = Make("fix", kInherit);
  state->AddChild(fix, 0);
  fix->OnEnd([this] {
    if (QDN_extraDefinition* extra = NorixExtra())
      extra->GetOutcome(norix_state_).repair_info = reader_.GetUnescapedText();
  });
  E* state_comment = Make("comment", kInherit);
  state->AddChild(state_comment, 0);
  state_comment->OnEnd([this] {
    if (QDN_extraDefinition* extra = NorixExtra())
      extra->GetOutcome(norix_state_).comment = reader_.GetUnescapedText();
  });
}

void QDN_xqdnReader::NorixStateStart() {
  const std::string id = Attribute("id");
  const QDN_nodeDefinition* definition = network_->GetNode(norix_node_)->GetDefinition();
  const QDN_idArray* outcomes = definition ? definition->GetOutcomesNames() : nullptr;
  if (!outcomes || outcomes->GetCount() == 0) return Fail("unexpected state info : '" + id + "'");
  norix_state_ = outcomes->IndexOf(id.c_str());
  QDN_extraDefinition* extra = NorixExtra();
  if (norix_state_ < 0 || !extra || norix_state_ >= extra->GetNumberOfOutcomes())
    return Fail("Invalid state id: '" + id + "'");
  const std::string label = Attribute("globalid");
  if (extra->SetFaultLabel(norix_state_, label.empty() ? nullptr : label.c_str()) < 0)
    StoreRepairedLabel(*extra, id, label);
  std::string fault_name;
  reader_.GetStringAttribute("faultname", fault_name);
  auto& slot = extra->GetOutcome(norix_state_).fault_name;
  if (fault_name.empty()) {
    slot.reset();
  } else {
    slot = fault_name;
  }
}

// A link of the open state, or of the node outside a state.
void QDN_xqdnReader::LinkStart() {
  const std::string title = Attribute("title"), path = Attribute("path");
  QDN_documentation* documentation = nullptr;
  if (norix_state_ >= 0) {
    if (QDN_extraDefinition* extra = NorixExtra())
      documentation = &extra->GetOutcome(norix_state_).Documentation();
  } else {
    documentation = &network_->GetNode(norix_node_)->GetInfo().documentation;
  }
  if (documentation && documentation->Add(title.c_str(), path.c_str()) < 0)
    Fail("Can't add link '" + title + "'");
}
