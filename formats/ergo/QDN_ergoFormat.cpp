#include "formats/ergo/QDN_ergoFormat.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

// Counts a file may declare: beyond these the file is refused rather than
// allowed to allocate without bound.
constexpr int kMaxNodes = 10'000'000;
constexpr int kMaxOutcomes = 100'000;

bool IsLeadingPart(std::string_view text, std::string_view word) {
  return !text.empty() && text.size() <= word.size() && word.substr(0, text.size()) == text;
}

} // namespace

int QDN_ergoFormat::ReadCount(int& value, std::string& text) {
  QDN_token token;
  CB_TRY(Peek(token));
  text.assign(token.text);
  return ReadInteger(value);
}

int QDN_ergoFormat::ReadFile(const char* fileName, int) {
  CB_TRY(BeginRead(fileName, QDN_lexerVariant::kErgo));
  const int status = Read();
  EndRead();
  return status;
}

int QDN_ergoFormat::Read() {
  int nodes = 0;
  std::string text;
  CB_TRY(ReadCount(nodes, text));
  if (nodes < 0)
    return ReportError(QDN_OUT_OF_RANGE,
                       Concat({"ERROR: (\"", text, "\") : Invalid number of nodes"}));
  if (nodes == 0) return QDN_NO_ERROR;
  if (nodes > kMaxNodes)
    return ReportError(QDN_OUT_OF_RANGE,
                       Concat({"ERROR: (\"", text, "\") : Invalid number of nodes"}));
  handles_.Clear();
  // Each node is created once its state count has been read, so a small file
  // declaring a huge count stops at its end instead of first creating
  // millions of nodes.
  for (int i = 0; i < nodes; ++i) {
    int states = 0;
    CB_TRY(ReadCount(states, text));
    const int handle = network_->AddNode(QDN_CPT, nullptr);
    if (handle < 0) return ReportError(handle, "ERROR: Couldn't Create Node");
    CB_TRY(handles_.Append(handle));
    // A node of one state gets a second one, of probability 0.
    if (states < 1 || states > kMaxOutcomes) {
      LogError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", text, "' : Invalid number of states"}));
      states = 2;
    }
    (void)network_->GetNode(handles_.At(i))->GetDefinition()->SetNumberOfOutcomes(states);
    NoteFileOutcomes(handle, states);
  }
  for (int i = 0; i < nodes; ++i) {
    int parents = 0;
    CB_TRY(ReadCount(parents, text));
    if (parents < 0) {
      LogError(QDN_OUT_OF_RANGE, Concat({"ERROR:'", text, "' : Invalid number of parents"}));
      parents = 0;
    }
    for (int k = 0; k < parents; ++k) {
      int position = 0;
      CB_TRY(ReadCount(position, text));
      if (position < 1 || position > nodes) continue;
      const int parent = handles_.At(position - 1);
      const int status = network_->AddArc(parent, handles_.At(i), 0);
      if (status < 0) {
        const char* id = network_->GetNode(parent)->GetId();
        LogError(status,
                 Concat({"ERROR: Couldn't Add Arc From Parent Node (\"", id ? id : "", "\")"}));
      }
    }
  }
  return ReadSections();
}

int QDN_ergoFormat::ReadSections() {
  // A file without any section ends with -2.
  int status = QDN_OUT_OF_RANGE;
  while (NextIsPunctuator("/") == 1) {
    CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "/"));
    CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "*"));
    CB_TRY(Match(QDN_TOKEN_IDENTIFIER, nullptr));
    const std::string name(CurrentToken().text);
    CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "*"));
    CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "/"));
    if (IsLeadingPart(name, "Probabilities")) {
      status = ReadProbabilities();
    } else if (IsLeadingPart(name, "Names")) {
      status = ReadNames();
    } else if (IsLeadingPart(name, "Labels")) {
      status = ReadLabels();
    } else if (IsLeadingPart(name, "Centers")) {
      status = ReadCenters();
    } else {
      status = ReportError(QDN_SYNTAX_ERROR, Concat({"ERROR: (\"", name, "\") : Unknown Section"}));
    }
  }
  return status;
}

int QDN_ergoFormat::ReadProbabilities() {
  for (int i = 0; i < handles_.GetCount(); ++i) {
    QDN_nodeDefinition& definition = *network_->GetNode(handles_.At(i))->GetDefinition();
    int count = 0;
    std::string text;
    CB_TRY(ReadCount(count, text));
    const int cells = definition.GetTable()->GetSize();
    std::vector<int> engine, file;
    long long file_cells = cells;
    if (FileShape(handles_.At(i), true, engine, file)) {
      file_cells = 1;
      for (int n : file)
        file_cells *= n;
    }
    if (count != file_cells)
      LogError(QDN_OUT_OF_RANGE, Concat({"ERROR:'", text, "' : Invalid table size"}));
    // The values are read whatever the count says (it never allocates more than the file holds).
    QDN_doubleArray values;
    for (int k = 0; k < count; ++k) {
      double value = 0;
      CB_TRY(ReadReal(value));
      CB_TRY(values.Append(value));
    }
    std::vector<double> spread(values.Data(), values.Data() + values.GetCount());
    (void)SpreadOverAddedStates(handles_.At(i), true, spread);
    // A short list fills the leading cells; extra values are ignored.
    QDN_Dmatrix& table = *definition.GetTable();
    std::copy_n(spread.data(), std::min(static_cast<int>(spread.size()), cells),
                table.GetItems().Data());
  }
  return QDN_NO_ERROR;
}

int QDN_ergoFormat::ReadNames() {
  for (int i = 0; i < handles_.GetCount(); ++i) {
    CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
    const std::string text(CurrentToken().text);
    std::string id = text;
    (void)QDN_idArray::MakeValidId(id);
    const int handle = handles_.At(i);
    if (network_->IsIdentifierInUse(id.c_str(), handle)) {
      LogError(QDN_OUT_OF_RANGE, Concat({"ERROR: [", text, "] Duplicated Identifier"}));
    } else {
      (void)network_->SetNodeId(handle, id.c_str());
    }
    QDN_header& header = network_->GetNode(handle)->GetInfo().header;
    (void)header.SetName(text.c_str());
    (void)header.SetComment(text.c_str());
  }
  return QDN_NO_ERROR;
}

int QDN_ergoFormat::ReadLabels() {
  for (int i = 0; i < handles_.GetCount(); ++i) {
    QDN_nodeDefinition& definition = *network_->GetNode(handles_.At(i))->GetDefinition();
    QDN_idArray labels;
    const int outcomes = definition.GetNumberOfOutcomes();
    for (int k = 0; k < outcomes; ++k) {
      // The state added to a one-state node keeps its name.
      if (k >= FileOutcomeCount(handles_.At(i))) {
        (void)labels.QDN_stringArray::InsertAt(labels.GetCount(),
                                               definition.GetOutcomesNames()->At(k));
        continue;
      }
      CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
      (void)labels.QDN_stringArray::InsertAt(labels.GetCount(),
                                             std::string(CurrentToken().text).c_str());
    }
    CB_TRY(labels.MakeIdsValid());
    CB_TRY(definition.RenameOutcomes(labels));
  }
  return QDN_NO_ERROR;
}

int QDN_ergoFormat::ReadCenters() {
  for (int i = 0; i < handles_.GetCount(); ++i) {
    QDN_rectangle& position = network_->GetNode(handles_.At(i))->GetInfo().screen.position;
    int value = 0;
    if (ReadInteger(value) == QDN_NO_ERROR) position.x0 = value;
    if (ReadInteger(value) == QDN_NO_ERROR) position.y0 = value;
  }
  return QDN_NO_ERROR;
}

int QDN_ergoFormat::WriteFile(const char* fileName) {
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_->GetNode(h)->GetDefinition();
    if (!definition ||
        (definition->GetType() != QDN_CPT && definition->GetType() != QDN_TRUTHTABLE))
      return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Ergo format");
  }
  CB_TRY(out_.OpenForWrite(fileName));
  const QDN_intArray order(network_->PartialOrderNodes());
  // File numbers: 1-based positions in the partial order.
  std::vector<int> number(static_cast<size_t>(network_->GetCapacity()), 0);
  for (int i = 0; i < order.GetCount(); ++i)
    number[static_cast<size_t>(order.At(i))] = i + 1;
  // Lines broken by the wrapping start at column 0.
  auto write = [&](std::string_view text) { out_.WriteWrapped(text, QDN_lineStart::kColumnZero); };
  write(std::to_string(order.GetCount()));
  write("\n\n");
  out_.SetLineWidth(QDN_textFile::kMaxLineWidth);
  for (int i = 0; i < order.GetCount(); ++i)
    write(std::to_string(network_->GetNumberOfOutcomes(order.At(i))).append("\t"));
  write("\n\n");
  out_.SetLineWidth(70);
  for (int i = 0; i < order.GetCount(); ++i) {
    const QDN_intArray& parents = network_->GetParents(order.At(i), 0);
    write(std::to_string(parents.GetCount()));
    for (int k = 0; k < parents.GetCount(); ++k)
      write(std::string("\t").append(std::to_string(number[static_cast<size_t>(parents.At(k))])));
    write("\n");
  }
  write("\n\n\n/*\tProbabilities\t*/\n");
  for (int i = 0; i < order.GetCount(); ++i) {
    const QDN_Dmatrix& table = *network_->GetNode(order.At(i))->GetDefinition()->GetTable();
    write(std::to_string(table.GetSize()).append("\n"));
    for (int k = 0; k < table.GetSize(); ++k)
      write(QDN_FormatReal(table.At(k)).append("\t"));
    write("\n\n");
  }
  write("\n\n/*\tNames\t*/\n");
  for (int i = 0; i < order.GetCount(); ++i) {
    const char* id = network_->GetNode(order.At(i))->GetId();
    write(std::string(id ? id : "_Unnamed_Node_").append("\t"));
  }
  write("\n\n\n/*\tLabels\t*/\n");
  for (int i = 0; i < order.GetCount(); ++i) {
    const QDN_idArray& outcomes =
        *network_->GetNode(order.At(i))->GetDefinition()->GetOutcomesNames();
    for (int k = 0; k < outcomes.GetCount(); ++k)
      write(std::string(outcomes.ViewAt(k)).append("\t"));
    write("\n");
  }
  write("\n\n\n/*\tCenters\t*/\n");
  for (int i = 0; i < order.GetCount(); ++i) {
    const QDN_rectangle& position = network_->GetNode(order.At(i))->GetInfo().screen.position;
    char line[48];
    std::snprintf(line, sizeof line, "%d\t%d\n", position.x0, position.y0);
    write(line);
  }
  return out_.Close();
}
