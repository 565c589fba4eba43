// Reading XMLBIF 0.3 files.
#include <array>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/text/QDN_textFile.h"
#include "formats/xmlbif/QDN_xmlbifFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

using Kind = XmlScanner::Kind;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Tag names are compared without regard to ASCII case.
bool Is(std::string_view name, std::string_view tag) {
  if (name.size() != tag.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (Upper(name[i]) != Upper(tag[i])) return false;
  return true;
}

bool IsKnownTag(std::string_view name) {
  for (std::string_view tag : {"BIF", "NETWORK", "NAME", "VARIABLE", "OUTCOME", "PROPERTY",
                               "DEFINITION", "FOR", "GIVEN", "TABLE"})
    if (Is(name, tag)) return true;
  return false;
}

const std::string* Attribute(const XmlScanner::Item& item, std::string_view name) {
  for (const auto& [key, value] : item.attributes)
    if (Is(key, name)) return &value;
  return nullptr;
}

// The characters that separate the numbers of a TABLE.
constexpr std::array<bool, 256> kTableSeparator = [] {
  std::array<bool, 256> separator{};
  for (unsigned char c : {' ', '\t', '\n', '\r', ','})
    separator[c] = true;
  return separator;
}();

// The numbers of a TABLE element, converted as its texts arrive: the texts
// are joined (a number may run from one into the next), decoded, and split
// at blanks and commas. Conversion stops at the first word that is not a
// number.
class TableNumbers {
public:
  explicit TableNumbers(std::vector<double>& values) : values_(values) {}

  void Add(std::string_view raw) {
    if (failed_) return;
    if (raw.find('&') == std::string_view::npos) {
      Split(raw);
    } else {
      decoded_.clear();
      XmlScanner::DecodeInto(raw, decoded_);
      Split(decoded_);
    }
  }
  void Finish() {
    if (!failed_ && !carried_.empty()) Convert(carried_);
  }
  bool Failed() const { return failed_; }
  std::string_view BadWord() const { return carried_; }

private:
  static bool IsSeparator(char c) { return kTableSeparator[static_cast<unsigned char>(c)]; }

  void Split(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    if (!carried_.empty()) {
      const char* const rest = p;
      while (p < end && !IsSeparator(*p))
        ++p;
      carried_.append(rest, p);
      if (p == end) return;
      Convert(carried_);
      if (failed_) return;
      carried_.clear();
    }
    for (;;) {
      while (p < end && IsSeparator(*p))
        ++p;
      if (p == end) return;
      // A plain decimal that a separator ends is converted where it stands.
      double value = 0;
      const size_t taken =
          QDN_ParsePlainDecimal(std::string_view(p, static_cast<size_t>(end - p)), value);
      if (taken > 0 && taken < static_cast<size_t>(end - p) && IsSeparator(p[taken])) {
        values_.push_back(value);
        p += taken + 1;
        continue;
      }
      const char* const word = p;
      while (p < end && !IsSeparator(*p))
        ++p;
      if (p == end) {
        // The word may go on in the next text.
        carried_.assign(word, p);
        return;
      }
      Convert(std::string_view(word, static_cast<size_t>(p - word)));
      if (failed_) return;
    }
  }

  void Convert(std::string_view word) {
    double value = 0;
    if (QDN_ParseReal(word, value) < 0) {
      failed_ = true;
      if (word.data() != carried_.data()) carried_.assign(word);
      return;
    }
    values_.push_back(value);
  }

  std::vector<double>& values_;
  std::string carried_; // a word that may go on in the next text; the bad word
  std::string decoded_;
  bool failed_ = false;
};

// The size of the blocks the file is read in.
constexpr size_t kReadBlockSize = size_t{1} << 16;

// A leading part of word (compared over the text's own length).
bool IsLeadingPart(std::string_view text, std::string_view word) {
  return text.size() <= word.size() && word.substr(0, text.size()) == text;
}

} // namespace

int QDN_xmlbifFormat::GetLine() const { return scanner_ ? scanner_->Line() : 0; }

XmlScanner::Item QDN_xmlbifFormat::NextItem() {
  for (;;) {
    XmlScanner::Item item = scanner_->Next();
    if (item.kind == Kind::kText && XmlScanner::Trim(item.raw).empty()) continue;
    if (item.kind == Kind::kError)
      (void)ReportError(QDN_SYNTAX_ERROR, "ERROR: " + scanner_->Error());
    return item;
  }
}

int QDN_xmlbifFormat::ForEachText(const XmlScanner::Item& start,
                                  const std::function<void(std::string_view)>& take_text) {
  if (start.self_closing) return QDN_NO_ERROR;
  // Markup inside the element contributes its own texts; depth counts it.
  int depth = 1;
  for (;;) {
    const XmlScanner::Item item = scanner_->Next(XmlScanner::Texts::kInPieces);
    switch (item.kind) {
    case Kind::kText:
      take_text(item.raw);
      break;
    case Kind::kStart:
      if (!item.self_closing) ++depth;
      break;
    case Kind::kEndTag:
      if (--depth == 0) return QDN_NO_ERROR;
      break;
    case Kind::kEnd:
      return EndOfInput(start.name);
    case Kind::kError:
      return ReportError(QDN_SYNTAX_ERROR, "ERROR: " + scanner_->Error());
    }
  }
}

int QDN_xmlbifFormat::SkipElement(const XmlScanner::Item& start) {
  return ForEachText(start, [](std::string_view) {});
}

int QDN_xmlbifFormat::EndOfInput(std::string_view tag) {
  return ReportError(QDN_SYNTAX_ERROR, Concat({"ERROR: End of File : Expecting '</", tag, ">'"}));
}

int QDN_xmlbifFormat::ReadText(const XmlScanner::Item& start, std::string& text) {
  text.clear();
  CB_TRY(ForEachText(start, [&text](std::string_view raw) { XmlScanner::DecodeInto(raw, text); }));
  const std::string_view kept = XmlScanner::Trim(text);
  const size_t kept_start = static_cast<size_t>(kept.data() - text.data());
  text.resize(kept_start + kept.size());
  text.erase(0, kept_start);
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadChildren(std::string_view end_tag,
                                   const std::function<int(const XmlScanner::Item&)>& read_child) {
  for (;;) {
    const XmlScanner::Item item = NextItem();
    switch (item.kind) {
    case Kind::kEndTag:
      return QDN_NO_ERROR;
    case Kind::kEnd:
      return EndOfInput(end_tag);
    case Kind::kError:
      return QDN_SYNTAX_ERROR;
    case Kind::kText:
      (void)ReportError(QDN_SYNTAX_ERROR,
                        Concat({"ERROR: '", XmlScanner::Trim(item.raw).substr(0, 40),
                                "' : Misplaced statement"}));
      break;
    case Kind::kStart:
      if (const int status = read_child(item); status != kNotRead) {
        CB_TRY(status);
      } else if (Is(item.name, "PROPERTY") || !IsKnownTag(item.name)) {
        CB_TRY(SkipElement(item));
      } else {
        (void)ReportError(QDN_SYNTAX_ERROR,
                          Concat({"ERROR: '", item.name, "' : Misplaced statement"}));
        CB_TRY(SkipElement(item));
      }
      break;
    }
  }
}

int QDN_xmlbifFormat::ReadFile(const char* fileName, int) {
  std::FILE* const opened = fileName ? std::fopen(fileName, "rb") : nullptr;
  if (!opened) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  // The scanner reads the file a block at a time and closes it when done.
  std::shared_ptr<std::FILE> file(opened, [](std::FILE* f) { std::fclose(f); });
  scanner_ = std::make_unique<XmlScanner>(
      [file](char* buffer, size_t size) -> long {
        const size_t got = std::fread(buffer, 1, size, file.get());
        return got == 0 && std::ferror(file.get()) ? -1 : static_cast<long>(got);
      },
      kReadBlockSize);
  file.reset();
  names_.Clear();
  const bool has_input = scanner_->HasInput();
  if (scanner_->ReadFailed()) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  if (!has_input) return QDN_END_OF_INPUT;
  const int status = ReadDocument();
  if (scanner_->ReadFailed()) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  return status;
}

int QDN_xmlbifFormat::ReadDocument() {
  // Everything before the BIF start tag is skipped.
  XmlScanner::Item item;
  do {
    item = scanner_->Next();
  } while (item.kind != Kind::kEnd && item.kind != Kind::kError &&
           !(item.kind == Kind::kStart && Is(item.name, "BIF")));
  if (item.kind == Kind::kError)
    return ReportError(QDN_SYNTAX_ERROR, "ERROR: " + scanner_->Error());
  if (item.kind != Kind::kStart) {
    (void)ReportError(QDN_OUT_OF_RANGE, "ERROR: [BIF] : Tag Not found");
    return QDN_NO_MORE_TOKENS;
  }
  const std::string* version = Attribute(item, "VERSION");
  if (!version || !IsLeadingPart(*version, "0.3"))
    return ReportError(QDN_OUT_OF_RANGE, "ERROR: Incorrect BIF Version");
  if (item.self_closing) return QDN_NO_ERROR;
  for (;;) {
    item = NextItem();
    switch (item.kind) {
    case Kind::kEndTag:
      return QDN_NO_ERROR; // </BIF>
    case Kind::kEnd:
      // A file cut short: what was read is not the whole network.
      return EndOfInput("BIF");
    case Kind::kError:
      return QDN_SYNTAX_ERROR;
    case Kind::kText:
      return ReportError(QDN_SYNTAX_ERROR,
                         Concat({"ERROR: '", XmlScanner::Trim(item.raw).substr(0, 40),
                                 "' : Misplaced statement"}));
    case Kind::kStart:
      if (Is(item.name, "NETWORK")) {
        if (!item.self_closing) CB_TRY(ReadNetwork());
      } else if (IsKnownTag(item.name)) {
        return ReportError(QDN_SYNTAX_ERROR,
                           Concat({"ERROR: '", item.name, "' : Misplaced statement"}));
      } else {
        CB_TRY(SkipElement(item));
      }
      break;
    }
  }
}

int QDN_xmlbifFormat::ReadNetwork() {
  return ReadChildren("NETWORK", [this](const XmlScanner::Item& item) {
    if (Is(item.name, "NAME")) return ReadNetworkName(item);
    if (Is(item.name, "VARIABLE")) return ReadVariable(item);
    if (Is(item.name, "DEFINITION")) return item.self_closing ? QDN_NO_ERROR : ReadDefinition();
    return kNotRead;
  });
}

int QDN_xmlbifFormat::ReadNetworkName(const XmlScanner::Item& start) {
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  std::string text;
  CB_TRY(ReadText(start, text));
  (void)ReportError(header.SetName(text.c_str()), {});
  std::string id = text;
  if (QDN_idArray::MakeValidId(id) == QDN_NO_ERROR && !network_->IsIdentifierInUse(id.c_str(), -1))
    (void)ReportError(header.SetId(id.c_str()), QDN_GetLastErrorText());
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadVariable(const XmlScanner::Item& start) {
  // TYPE="nature" is XMLBIF's own word for a chance node, and its default.
  const std::string* type_text = Attribute(start, "TYPE");
  int type = QDN_CPT;
  if (type_text && *type_text != "nature") {
    if (IsLeadingPart(*type_text, "chance")) {
      type = QDN_CPT;
    } else if (IsLeadingPart(*type_text, "decision")) {
      type = QDN_LIST;
    } else if (IsLeadingPart(*type_text, "utility")) {
      type = QDN_TABLE;
    } else {
      (void)ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: ", *type_text, " : Unknown node type"}));
      return SkipElement(start);
    }
  }
  const int handle = network_->AddNode(type, nullptr);
  if (handle < 0) {
    (void)ReportError(handle, "ERROR: Couldn't Create Node");
    return SkipElement(start);
  }
  // Grown one slot at a time, so the node's copy holds no empty slots.
  QDN_idArray outcomes(0, 1);
  std::vector<std::string> originals;
  if (!start.self_closing)
    CB_TRY(ReadChildren(start.name, [&](const XmlScanner::Item& item) {
      if (Is(item.name, "NAME")) return ReadVariableName(item, handle);
      if (Is(item.name, "OUTCOME")) return ReadOutcome(item, outcomes, originals);
      return kNotRead;
    }));
  // Utility variables list a placeholder outcome at most: they have none.
  if (outcomes.GetCount() == 0 || type == QDN_TABLE) return QDN_NO_ERROR;
  SetOutcomes(handle, outcomes, originals);
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadVariableName(const XmlScanner::Item& start, int handle) {
  std::string text;
  CB_TRY(ReadText(start, text));
  QDN_node& node = *network_->GetNode(handle);
  (void)node.GetInfo().header.SetName(text.c_str());
  const std::string id = UniqueNodeId(text);
  (void)ReportError(network_->SetNodeId(handle, id.c_str()), {});
  // A second variable of the same name keeps its data under another
  // identifier; definitions naming it reach the first one.
  if (!names_.Add(text, handle))
    (void)ReportError(QDN_DUPLICATED_IDENTIFIER,
                      Concat({"ERROR: Variable name [", text,
                              "] used twice; the second variable is renamed [", id, "]"}));
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadOutcome(const XmlScanner::Item& start, QDN_idArray& outcomes,
                                  std::vector<std::string>& originals) {
  std::string text;
  CB_TRY(ReadText(start, text));
  std::string id;
  (void)outcomes.CreateUniqueId(text.c_str(), -1, id);
  if (int status = outcomes.Append(id.c_str()); status < 0) {
    (void)ReportError(status, Concat({"ERROR: ", text, " : Invalid outcome name"}));
  } else {
    originals.push_back(std::move(text));
  }
  return QDN_NO_ERROR;
}

void QDN_xmlbifFormat::SetOutcomes(int handle, const QDN_idArray& outcomes,
                                   const std::vector<std::string>& originals) {
  QDN_node& node = *network_->GetNode(handle);
  if (node.GetDefinition()->SetNumberOfOutcomes(outcomes) != QDN_NO_ERROR) {
    // The item is complete: the problem is reported and reading goes on.
    (void)ReportError(QDN_OUT_OF_RANGE, "ERROR: Invalid Outcomes");
    return;
  }
  NoteFileOutcomes(handle, outcomes.GetCount());
  // Outcome texts that repair changed stay with their outcomes.
  QDN_extraDefinition* extra = node.GetExtraDefinition();
  for (int i = 0; extra && i < outcomes.GetCount() && i < extra->GetNumberOfOutcomes(); ++i)
    if (originals[static_cast<size_t>(i)] != outcomes.ViewAt(i))
      extra->GetOutcome(i).long_name = originals[static_cast<size_t>(i)];
}

int QDN_xmlbifFormat::FindByText(const std::string& text) const {
  const int named = names_.Find(text);
  if (named >= 0 && network_->GetNode(named)) return named;
  std::string id = text.empty() ? "x" : text;
  (void)QDN_idArray::MakeValidId(id);
  return network_->FindNode(id.c_str());
}

int QDN_xmlbifFormat::ReadTable(const XmlScanner::Item& start, std::vector<double>& values) {
  TableNumbers numbers(values);
  CB_TRY(ForEachText(start, [&numbers](std::string_view raw) { numbers.Add(raw); }));
  numbers.Finish();
  // Reported once the element is read, so the message names its last line.
  if (numbers.Failed())
    (void)ReportError(QDN_SYNTAX_ERROR,
                      Concat({"ERROR: '", numbers.BadWord(), "' : Real Number expected"}));
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadDefinition() {
  PendingDefinition pending;
  CB_TRY(ReadChildren("DEFINITION", [&](const XmlScanner::Item& item) {
    if (Is(item.name, "FOR") || Is(item.name, "GIVEN")) return ReadReference(item, pending);
    if (!Is(item.name, "TABLE")) return kNotRead;
    pending.table_seen = true;
    return ReadTable(item, pending.values);
  }));
  if (pending.for_node >= 0) ApplyDefinition(pending);
  return QDN_NO_ERROR;
}

int QDN_xmlbifFormat::ReadReference(const XmlScanner::Item& start, PendingDefinition& pending) {
  std::string text;
  CB_TRY(ReadText(start, text));
  const int handle = FindByText(text);
  if (Is(start.name, "GIVEN")) {
    if (handle < 0) {
      (void)ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: ", text, " : Invalid parent"}));
    } else {
      pending.given.push_back(handle);
    }
  } else if (handle < 0) {
    (void)ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: ", text, " : Node not found"}));
  } else if (pending.for_node < 0) {
    pending.for_node = handle;
  } else if (handle != pending.for_node) {
    (void)ReportError(QDN_OUT_OF_RANGE,
                      Concat({"ERROR: ", text, " : Extra [FOR] entry. Ignored."}));
  }
  return QDN_NO_ERROR;
}

void QDN_xmlbifFormat::ApplyDefinition(PendingDefinition& pending) {
  const int child = pending.for_node;
  const char* child_id = network_->GetNode(child)->GetId();
  for (int parent : pending.given) {
    const int status = network_->AddArc(parent, child, 0);
    if (status < 0)
      (void)ReportError(status,
                        Concat({"ERROR: Couldn't add arc from node [",
                                network_->GetNode(parent)->GetId(), "] to node [", child_id, "]"}));
  }
  if (!pending.table_seen) return;
  QDN_nodeDefinition* definition = network_->GetNode(child)->GetDefinition();
  const QDN_Dmatrix* table = definition ? definition->GetTable() : nullptr;
  if (!table) return;
  std::vector<double>& values = pending.values;
  (void)SpreadOverAddedStates(child, definition->GetType() != QDN_TABLE, values);
  // A table of the wrong size is reported and left out; reading goes on.
  if (static_cast<int>(values.size()) != table->GetSize()) {
    (void)ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: Node [", child_id, "] was expecting ",
                                                std::to_string(table->GetSize()), " numbers but ",
                                                std::to_string(values.size()), " were read"}));
    return;
  }
  QDN_doubleArray array;
  (void)array.SwapValues(values);
  (void)ReportError(definition->SetDefinition(array), {});
}
