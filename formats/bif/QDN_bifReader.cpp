// Reading BIF files.
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_readFile.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "core/QDN_text.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/bif/QDN_bifFormat.h"
#include "formats/text/QDN_textFile.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

// States a variable may declare: beyond this the file is refused rather than
// allowed to allocate without bound.
constexpr int kMaxOutcomes = 100'000;
// Table cells a file may have beyond its own size (tables filled by default rows).
constexpr long long kFreeCells = 1LL << 24;

enum CharClass : uint8_t { kWordChar, kBlank, kLineFeed, kReturn, kPunctChar, kQuote, kSlash };

constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c)
    classes[static_cast<size_t>(c)] = kWordChar;
  for (char c : std::string_view(" \t\f\v"))
    classes[static_cast<uint8_t>(c)] = kBlank;
  classes[0] = kBlank;
  classes['\n'] = kLineFeed;
  classes['\r'] = kReturn;
  for (char c : std::string_view("{}()[];,|="))
    classes[static_cast<uint8_t>(c)] = kPunctChar;
  classes['"'] = kQuote;
  classes['/'] = kSlash;
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

uint8_t ClassOf(char c) { return kClasses[static_cast<uint8_t>(c)]; }

bool IsKeyword(std::string_view text, std::string_view keyword) {
  return QDN_EqualsIgnoringCase(text, keyword);
}

// A whole word as a number: decimal or E-notation, with an optional sign.
bool ParseNumber(std::string_view word, double& value) {
  const char* first = word.data();
  const char* last = first + word.size();
  if (first < last && *first == '+') {
    ++first;
    if (first < last && *first == '-') return false;
  }
  const auto [end, error] = std::from_chars(first, last, value);
  if (end != last || first == last) return false;
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: what strtod gives (infinity or 0).
    value = std::strtod(std::string(first, last).c_str(), nullptr);
  } else if (error != std::errc()) {
    return false;
  }
  return true;
}

// A whole word as a count: decimal digits only.
bool ParseCount(std::string_view word, long long& value) {
  if (word.empty() || word.size() > 12) return false;
  value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

std::string Quoted(std::string_view text) { return std::string("(\"").append(text).append("\")"); }

// Looks up the states of one parent by the texts a row may name them with:
// the text the file declared, or the identifier made from it.
class StateIndex {
public:
  explicit StateIndex(const QDN_node& node) {
    const QDN_nodeDefinition* definition = node.GetDefinition();
    const QDN_idArray* ids = definition ? definition->GetOutcomesNames() : nullptr;
    const QDN_extraDefinition* extra = node.GetExtraDefinition();
    const int n = ids ? ids->GetCount() : 0;
    texts_.reserve(static_cast<size_t>(n) * 2);
    // Declared texts first, so that they win over an identifier that equals
    // another state's text.
    for (int i = 0; i < n; ++i) {
      const bool labelled =
          extra && i < extra->GetNumberOfOutcomes() && extra->GetOutcome(i).long_name;
      texts_.emplace_back(
          labelled ? std::string_view(*extra->GetOutcome(i).long_name) : ids->ViewAt(i), i);
    }
    for (int i = 0; i < n; ++i)
      texts_.emplace_back(ids->ViewAt(i), i);
    if (texts_.size() > 32) {
      for (const auto& [text, index] : texts_)
        map_.emplace(text, index);
    }
  }

  int Find(std::string_view text) const {
    if (!map_.empty()) {
      const auto it = map_.find(text);
      return it == map_.end() ? -1 : it->second;
    }
    for (const auto& [known, index] : texts_)
      if (known == text) return index;
    return -1;
  }

  int Count() const { return static_cast<int>(texts_.size() / 2); }

private:
  std::vector<std::pair<std::string_view, int>> texts_;
  std::unordered_map<std::string_view, int> map_;
};

} // namespace

// ---------------------------------------------------------------- scanner

void QDN_bifFormat::Scan() {
  const size_t n = text_.size();
  bool line_break = false;
  while (pos_ < n) {
    const char c = text_[pos_];
    const uint8_t cls = ClassOf(c);
    if (cls == kBlank) {
      ++pos_;
    } else if (cls == kLineFeed) {
      ++pos_;
      ++line_;
      line_break = true;
    } else if (cls == kReturn) {
      ++pos_;
      if (pos_ < n && text_[pos_] == '\n') ++pos_;
      ++line_;
      line_break = true;
    } else if (cls == kSlash && pos_ + 1 < n && text_[pos_ + 1] == '/') {
      while (pos_ < n && text_[pos_] != '\n' && text_[pos_] != '\r')
        ++pos_;
    } else if (cls == kSlash && pos_ + 1 < n && text_[pos_ + 1] == '*') {
      const int start_line = line_;
      pos_ += 2;
      for (;;) {
        if (pos_ + 1 >= n) {
          pos_ = n;
          LogAt(start_line, QDN_UNEXPECTED_END_OF_FILE,
                "ERROR: UNEXPECTED END OF FILE. UNMATCHED '/*'");
          break;
        }
        if (text_[pos_] == '*' && text_[pos_ + 1] == '/') {
          pos_ += 2;
          break;
        }
        if (text_[pos_] == '\n' || (text_[pos_] == '\r' && text_[pos_ + 1] != '\n')) ++line_;
        ++pos_;
      }
    } else {
      break;
    }
  }
  peeked_.line = line_;
  peeked_.line_break = line_break;
  if (pos_ >= n) {
    peeked_.kind = Kind::kEnd;
    peeked_.text = {};
    return;
  }
  const size_t start = pos_;
  const uint8_t cls = ClassOf(text_[pos_]);
  if (cls == kPunctChar) {
    peeked_.kind = Kind::kPunct;
    peeked_.text = std::string_view(text_).substr(start, 1);
    ++pos_;
    return;
  }
  if (cls == kQuote) {
    // The string is unescaped in place: its text never grows, and the scan
    // never comes back to it.
    size_t write = start + 1;
    size_t i = start + 1;
    bool closed = false;
    while (i < n) {
      const char c = text_[i];
      if (c == '"') {
        closed = true;
        ++i;
        break;
      }
      if (c == '\\' && i + 1 < n && (text_[i + 1] == '"' || text_[i + 1] == '\\')) {
        text_[write++] = text_[i + 1];
        i += 2;
        continue;
      }
      if (c == '\n' || (c == '\r' && (i + 1 >= n || text_[i + 1] != '\n'))) ++line_;
      text_[write++] = c;
      ++i;
    }
    pos_ = i;
    if (!closed)
      LogAt(peeked_.line, QDN_UNEXPECTED_END_OF_FILE,
            "ERROR: UNEXPECTED END OF FILE. UNTERMINATED STRING");
    peeked_.kind = Kind::kString;
    peeked_.text = std::string_view(text_).substr(start + 1, write - start - 1);
    return;
  }
  // A word: everything up to a blank, a punctuator, a quote or a comment.
  size_t i = start;
  while (i < n) {
    const uint8_t k = ClassOf(text_[i]);
    if (k == kWordChar) {
      ++i;
    } else if (k == kSlash && !(i + 1 < n && (text_[i + 1] == '/' || text_[i + 1] == '*'))) {
      ++i;
    } else {
      break;
    }
  }
  pos_ = i;
  peeked_.kind = Kind::kWord;
  peeked_.text = std::string_view(text_).substr(start, i - start);
}

const QDN_bifFormat::Token& QDN_bifFormat::Peek() {
  if (!has_peeked_) {
    Scan();
    has_peeked_ = true;
  }
  token_line_ = peeked_.line;
  return peeked_;
}

QDN_bifFormat::Token QDN_bifFormat::Next() {
  const Token token = Peek();
  has_peeked_ = false;
  return token;
}

bool QDN_bifFormat::PeekIs(std::string_view punct) {
  const Token& token = Peek();
  return token.kind == Kind::kPunct && token.text == punct;
}

int QDN_bifFormat::ExpectPunct(std::string_view punct) {
  const Token& token = Peek();
  if (token.kind == Kind::kPunct && token.text == punct) {
    Consume();
    return QDN_NO_ERROR;
  }
  if (token.kind == Kind::kEnd)
    return ReportError(QDN_SYNTAX_ERROR, Concat({"ERROR: End of File : Expecting '", punct, "'"}));
  return ReportError(QDN_SYNTAX_ERROR,
                     Concat({"ERROR: '", token.text, "' : '", punct, "' expected"}));
}

void QDN_bifFormat::SkipEntry() {
  int depth = 0;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return;
    if (token.kind == Kind::kPunct) {
      if (token.text == "}") {
        if (depth == 0) return;
        --depth;
      } else if (token.text == "{") {
        ++depth;
      } else if (token.text == ";" && depth == 0) {
        Consume();
        return;
      }
    }
    Consume();
  }
}

void QDN_bifFormat::SkipBlockBody() {
  int depth = 1;
  for (;;) {
    const Token token = Next();
    if (token.kind == Kind::kEnd) return;
    if (token.kind != Kind::kPunct) continue;
    if (token.text == "{") ++depth;
    if (token.text == "}" && --depth == 0) return;
  }
}

int QDN_bifFormat::ReportAt(int line, int status, std::string_view message) {
  const int saved = token_line_;
  token_line_ = line;
  const int result = ReportError(status, message);
  token_line_ = saved;
  return result;
}

// ---------------------------------------------------------------- reading

int QDN_bifFormat::ReadFile(const char* fileName, int) {
  std::string text;
  CB_TRY(QDN_ReadFile(fileName, text));
  if (text.empty()) return QDN_END_OF_INPUT;
  return ReadText(std::move(text));
}

int QDN_bifFormat::ReadText(std::string text) {
  text_ = std::move(text);
  pos_ = 0;
  line_ = 1;
  token_line_ = 1;
  has_peeked_ = false;
  names_.clear();
  defined_.clear();
  network_id_.reset();
  network_label_.reset();
  cells_read_ = 0;
  const int status = Read();
  // The network takes its identifier once the nodes have theirs: a node keeps
  // an identifier the network's would also be. The name is the label, else
  // the text after "network".
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  if (network_id_) {
    std::string id = *network_id_;
    if (QDN_idArray::MakeValidId(id) == QDN_NO_ERROR && (!header.GetId() || id != header.GetId()) &&
        !network_->IsIdentifierInUse(id.c_str(), -1))
      (void)header.SetId(id.c_str());
  }
  if (network_label_ || network_id_)
    (void)header.SetName((network_label_ ? *network_label_ : *network_id_).c_str());
  if (status == QDN_NO_ERROR) {
    for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h))
      if (static_cast<size_t>(h) >= defined_.size() || !defined_[static_cast<size_t>(h)])
        LogError(QDN_OUT_OF_RANGE,
                 Concat({"ERROR: No probability block for variable ",
                         Quoted(network_->GetNode(h)->GetName() ? network_->GetNode(h)->GetName()
                                                                : network_->GetNode(h)->GetId())}));
  }
  text_.clear();
  text_.shrink_to_fit();
  return status;
}

int QDN_bifFormat::Read() {
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return QDN_NO_ERROR;
    if (token.kind == Kind::kWord && IsKeyword(token.text, "network")) {
      CB_TRY(ReadNetworkBlock());
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "variable")) {
      CB_TRY(ReadVariableBlock());
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "probability")) {
      CB_TRY(ReadProbabilityBlock());
    } else {
      // Anything else at the top level is not BIF: the read stops here.
      return ReportError(QDN_SYNTAX_ERROR,
                         Concat({"ERROR: '", token.text.substr(0, 40), "' : Unknown statement"}));
    }
  }
}

int QDN_bifFormat::ReadNetworkBlock() {
  Consume();
  const Token& name = Peek();
  if (name.kind == Kind::kWord || name.kind == Kind::kString) {
    network_id_ = std::string(name.text);
    Consume();
  }
  CB_TRY(ExpectPunct("{"));
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return ExpectPunct("}");
    if (token.kind == Kind::kPunct && token.text == "}") break;
    if (token.kind == Kind::kPunct && token.text == ";") {
      Consume();
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "property")) {
      ReadProperty(-1);
    } else {
      LogError(QDN_SYNTAX_ERROR,
               Concat({"ERROR: '", token.text.substr(0, 40), "' : Unknown network statement"}));
      SkipEntry();
    }
  }
  Consume();
  return QDN_NO_ERROR;
}

int QDN_bifFormat::FindVariable(std::string_view text) const {
  const auto it = names_.find(std::string(text));
  if (it != names_.end()) return it->second;
  std::string id = text.empty() ? "x" : std::string(text);
  (void)QDN_idArray::MakeValidId(id);
  return network_->FindNode(id.c_str());
}

int QDN_bifFormat::ReadVariableBlock() {
  Consume();
  const Token name = Next();
  if (name.kind != Kind::kWord && name.kind != Kind::kString) {
    if (name.kind == Kind::kEnd)
      return ReportError(QDN_SYNTAX_ERROR, "ERROR: End of File : Expecting Variable name");
    return ReportError(QDN_SYNTAX_ERROR,
                       Concat({"ERROR: '", name.text, "' : Variable name expected"}));
  }
  const std::string text(name.text);
  CB_TRY(ExpectPunct("{"));
  if (names_.count(text)) {
    LogAt(name.line, QDN_DUPLICATED_IDENTIFIER,
          Concat({"ERROR: Variable ", Quoted(text), " declared twice"}));
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  const int handle = network_->AddNode(QDN_CPT, UniqueNodeId(text).c_str());
  if (handle < 0) {
    LogAt(name.line, handle, Concat({"ERROR: Couldn't Create Node ", Quoted(text)}));
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  (void)network_->GetNode(handle)->GetInfo().header.SetName(text.c_str());
  names_.emplace(text, handle);
  bool typed = false;
  bool usable = true;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return ExpectPunct("}");
    if (token.kind == Kind::kPunct && token.text == "}") break;
    if (token.kind == Kind::kPunct && token.text == ";") {
      Consume();
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "type")) {
      if (typed) {
        LogError(QDN_SYNTAX_ERROR,
                 Concat({"ERROR: Variable ", Quoted(text), " has a second type"}));
        SkipEntry();
        continue;
      }
      typed = true;
      if (ReadStates(handle) != QDN_NO_ERROR) usable = false;
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "property")) {
      ReadProperty(handle);
    } else {
      LogError(QDN_SYNTAX_ERROR,
               Concat({"ERROR: '", token.text.substr(0, 40), "' : Unknown variable statement"}));
      SkipEntry();
    }
  }
  Consume();
  if (!typed) {
    LogAt(name.line, QDN_OUT_OF_RANGE, Concat({"ERROR: Variable ", Quoted(text), " has no type"}));
    usable = false;
  }
  if (!usable) {
    // The variable stays known by its name (as no node: its handle may be
    // reused), so that its probability block is skipped without a second message.
    (void)network_->DeleteNode(handle);
    names_[text] = -1;
  }
  return QDN_NO_ERROR;
}

int QDN_bifFormat::ReadStates(int handle) {
  Consume(); // type
  const Token kind = Next();
  if (kind.kind != Kind::kWord || !IsKeyword(kind.text, "discrete")) {
    LogAt(
        kind.line, QDN_OUT_OF_RANGE,
        Concat({"ERROR: '", kind.text.substr(0, 40), "' : Only discrete variables are supported"}));
    SkipEntry();
    return QDN_OUT_OF_RANGE;
  }
  long long declared = -1;
  if (PeekIs("[")) {
    Consume();
    const Token count = Next();
    if (count.kind != Kind::kWord || !ParseCount(count.text, declared) || declared < 1 ||
        declared > kMaxOutcomes) {
      LogAt(count.line, QDN_OUT_OF_RANGE,
            Concat({"ERROR: '", count.text.substr(0, 40), "' : Invalid number of states"}));
      SkipEntry();
      return QDN_OUT_OF_RANGE;
    }
    if (ExpectPunct("]") != QDN_NO_ERROR) {
      SkipEntry();
      return QDN_SYNTAX_ERROR;
    }
  }
  if (ExpectPunct("{") != QDN_NO_ERROR) {
    SkipEntry();
    return QDN_SYNTAX_ERROR;
  }
  QDN_stringArray texts;
  const int line = Peek().line;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kPunct && token.text == "}") {
      Consume();
      break;
    }
    if (token.kind == Kind::kPunct && token.text == ",") {
      Consume();
      continue;
    }
    if (token.kind != Kind::kWord && token.kind != Kind::kString) {
      if (token.kind == Kind::kEnd) return ExpectPunct("}");
      LogError(QDN_SYNTAX_ERROR, Concat({"ERROR: '", token.text, "' : State name expected"}));
      SkipEntry();
      return QDN_SYNTAX_ERROR;
    }
    if (texts.GetCount() >= kMaxOutcomes) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Too many states");
      SkipEntry();
      return QDN_OUT_OF_RANGE;
    }
    CB_TRY(texts.Append(std::string(token.text).c_str()));
    Consume();
  }
  if (PeekIs(";")) Consume();
  QDN_node& node = *network_->GetNode(handle);
  const std::string name = node.GetName() ? node.GetName() : "";
  if (texts.GetCount() == 0)
    return ReportAt(line, QDN_OUT_OF_RANGE,
                    Concat({"ERROR: Variable ", Quoted(name), " lists no states"}));
  if (declared >= 0 && declared != texts.GetCount())
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: Variable ", Quoted(name), " declares ", std::to_string(declared),
                  " states but lists ", std::to_string(texts.GetCount())}));
  QDN_idArray ids;
  CB_TRY(ids.Assign(texts));
  (void)ids.MakeIdsValid();
  QDN_nodeDefinition* definition = node.GetDefinition();
  if (!definition) return ReportAt(line, QDN_WRONG_NODE_TYPE, {});
  if (int status = definition->SetNumberOfOutcomes(ids); status < 0)
    return ReportAt(line, status, Concat({"ERROR: Invalid states of variable ", Quoted(name)}));
  if (definition->GetNumberOfOutcomes() != texts.GetCount())
    return ReportAt(line, QDN_OUT_OF_RANGE,
                    Concat({"ERROR: Variable ", Quoted(name), " needs at least two states"}));
  // The declared texts stay with the outcomes when repair changed them.
  QDN_extraDefinition* extra = node.GetExtraDefinition();
  const QDN_idArray* names = definition->GetOutcomesNames();
  for (int i = 0; extra && names && i < texts.GetCount() && i < extra->GetNumberOfOutcomes(); ++i)
    if (texts.ViewAt(i) != names->ViewAt(i))
      extra->GetOutcome(i).long_name = std::string(texts.ViewAt(i));
  return QDN_NO_ERROR;
}

void QDN_bifFormat::ReadProperty(int handle) {
  Consume(); // property
  // The property runs to ";", to the "}" of its block or to the end of its
  // line (outside parentheses): files write it with and without ";".
  std::vector<Token> tokens;
  int depth = 0;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) break;
    if (token.kind == Kind::kPunct && token.text == "}") break;
    if (token.kind == Kind::kPunct && token.text == ";") {
      Consume();
      break;
    }
    if (!tokens.empty() && token.line_break && depth == 0) break;
    if (token.kind == Kind::kPunct && token.text == "(") ++depth;
    if (token.kind == Kind::kPunct && token.text == ")" && depth > 0) --depth;
    if (tokens.size() < 64) tokens.push_back(token);
    Consume();
  }
  if (tokens.empty() || handle < -1) return;
  // A quoted property holds "key = value" or "key value" in its text.
  if (tokens.size() == 1 && tokens[0].kind == Kind::kString) {
    std::string_view text = tokens[0].text;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
      ++i;
    const size_t key_start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '=')
      ++i;
    const std::string_view key = text.substr(key_start, i - key_start);
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
      ++i;
    if (i < text.size() && text[i] == '=') ++i;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
      ++i;
    ApplyProperty(handle, key, text.substr(i));
    return;
  }
  if (tokens[0].kind != Kind::kWord) return;
  const std::string_view key = tokens[0].text;
  // The outcome labels this library writes: state_label ID = "text".
  if (key == "state_label" && handle >= 0 && tokens.size() == 4 && tokens[2].text == "=" &&
      tokens[3].kind == Kind::kString) {
    QDN_node& node = *network_->GetNode(handle);
    const QDN_nodeDefinition* definition = node.GetDefinition();
    const QDN_idArray* ids = definition ? definition->GetOutcomesNames() : nullptr;
    const int index = ids ? ids->IndexOf(std::string(tokens[1].text).c_str()) : -1;
    QDN_extraDefinition* extra = node.GetExtraDefinition();
    if (index >= 0 && extra && index < extra->GetNumberOfOutcomes())
      extra->GetOutcome(index).long_name = std::string(tokens[3].text);
    else
      LogAt(tokens[1].line, QDN_OUT_OF_RANGE,
            Concat({"ERROR: '", tokens[1].text, "' : Unknown state"}));
    return;
  }
  size_t first = 1;
  if (first < tokens.size() && tokens[first].kind == Kind::kPunct && tokens[first].text == "=")
    ++first;
  if (first + 1 == tokens.size() && tokens[first].kind == Kind::kString) {
    ApplyProperty(handle, key, tokens[first].text);
    return;
  }
  std::string rest;
  for (size_t i = first; i < tokens.size(); ++i) {
    if (i > first) rest += ' ';
    rest.append(tokens[i].text);
  }
  ApplyProperty(handle, key, rest);
}

void QDN_bifFormat::ApplyProperty(int handle, std::string_view key, std::string_view rest) {
  if (key.empty()) return;
  QDN_node* node = handle >= 0 ? network_->GetNode(handle) : nullptr;
  if (key == "label") {
    if (node) {
      (void)node->GetInfo().header.SetName(std::string(rest).c_str());
    } else {
      network_label_ = std::string(rest);
    }
    return;
  }
  if (key == "position") {
    // Two whole numbers, in parentheses or not.
    long long xy[2] = {0, 0};
    int found = 0;
    size_t i = 0;
    while (i < rest.size() && found < 2) {
      const bool negative =
          rest[i] == '-' && i + 1 < rest.size() && rest[i + 1] >= '0' && rest[i + 1] <= '9';
      if (negative) ++i;
      if (rest[i] < '0' || rest[i] > '9') {
        ++i;
        continue;
      }
      long long value = 0;
      while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
        if (value < 1'000'000'000'000LL) value = value * 10 + (rest[i] - '0');
        ++i;
      }
      // Decimals are dropped.
      if (i < rest.size() && rest[i] == '.') {
        ++i;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9')
          ++i;
      }
      xy[found++] = negative ? -value : value;
    }
    if (found < 2 || !node) return;
    if (xy[0] < INT32_MIN || xy[0] > INT32_MAX || xy[1] < INT32_MIN || xy[1] > INT32_MAX) return;
    node->GetInfo().screen.position.x0 = static_cast<int>(xy[0]);
    node->GetInfo().screen.position.y0 = static_cast<int>(xy[1]);
    return;
  }
  // Other properties are kept as user properties when their key is an identifier.
  if (!IsValidIdentifier(key)) return;
  QDN_userProperties& properties = node ? node->GetInfo().properties : network_->GetProperties();
  (void)properties.AddProperty(std::string(key).c_str(), std::string(rest).c_str());
}

int QDN_bifFormat::ReadProbabilityHeader(Header& header) {
  CB_TRY(ExpectPunct("("));
  std::vector<Token> names;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kPunct && token.text == ")") {
      Consume();
      break;
    }
    if (token.kind == Kind::kPunct && (token.text == "," || token.text == "|")) {
      Consume();
      continue;
    }
    if (token.kind != Kind::kWord && token.kind != Kind::kString) {
      if (token.kind == Kind::kEnd) return ExpectPunct(")");
      return ReportError(QDN_SYNTAX_ERROR,
                         Concat({"ERROR: '", token.text, "' : Variable name expected"}));
    }
    names.push_back(Next());
  }
  if (names.empty())
    return ReportError(QDN_OUT_OF_RANGE, "ERROR: Probability block names no variable");
  header.child = FindVariable(names[0].text);
  if (header.child < 0) {
    // A variable whose declaration was refused has been reported already.
    if (names_.count(std::string(names[0].text))) return QDN_OUT_OF_RANGE;
    return ReportAt(
        names[0].line, QDN_OUT_OF_RANGE,
        Concat({"ERROR: Probability block for unknown variable ", Quoted(names[0].text)}));
  }
  for (size_t i = 1; i < names.size(); ++i) {
    const int parent = FindVariable(names[i].text);
    if (parent < 0)
      return ReportAt(names[i].line, QDN_OUT_OF_RANGE,
                      Concat({"ERROR: Unknown parent ", Quoted(names[i].text), " of variable ",
                              Quoted(names[0].text)}));
    for (int known : header.parents)
      if (known == parent)
        return ReportAt(names[i].line, QDN_OUT_OF_RANGE,
                        Concat({"ERROR: Parent ", Quoted(names[i].text),
                                " listed twice for variable ", Quoted(names[0].text)}));
    if (parent == header.child)
      return ReportAt(names[i].line, QDN_OUT_OF_RANGE,
                      Concat({"ERROR: Variable ", Quoted(names[0].text), " is its own parent"}));
    header.parents.push_back(parent);
  }
  return QDN_NO_ERROR;
}

int QDN_bifFormat::ReadProbabilityBlock() {
  const int line = Peek().line;
  Consume();
  Header header;
  const int status = ReadProbabilityHeader(header);
  if (status == QDN_SYNTAX_ERROR) return status;
  if (status < 0) {
    // The block is skipped; reading goes on after it.
    if (PeekIs("{")) {
      Consume();
      SkipBlockBody();
    }
    return QDN_NO_ERROR;
  }
  CB_TRY(ExpectPunct("{"));
  QDN_node& child = *network_->GetNode(header.child);
  const std::string child_name = child.GetName() ? child.GetName() : child.GetId();
  const size_t slot = static_cast<size_t>(header.child);
  if (slot < defined_.size() && defined_[slot]) {
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: Second probability block for variable ", Quoted(child_name)}));
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  // The size of the table is checked before any arc makes it.
  long long cells = network_->GetNumberOfOutcomes(header.child);
  for (int parent : header.parents) {
    cells *= network_->GetNumberOfOutcomes(parent);
    if (cells > QDN_Dmatrix::kMaxCells) break;
  }
  if (cells > QDN_Dmatrix::kMaxCells) {
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: The table of variable ", Quoted(child_name), " would have more than ",
                  std::to_string(QDN_Dmatrix::kMaxCells), " cells"}));
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  // Every number of a table takes two bytes of the file at least; only a
  // default row fills cells without them. The tables of one file may
  // together have a few million cells more than the file has bytes, and no
  // more, so that a small file cannot claim gigabytes.
  const long long budget = kFreeCells + static_cast<long long>(text_.size());
  if (cells > budget - cells_read_) {
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: The table of variable ", Quoted(child_name), " would have ",
                  std::to_string(cells), " cells, more than the file could fill"}));
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  cells_read_ += cells;
  for (size_t i = 0; i < header.parents.size(); ++i) {
    // A refused arc that leaves no message is one that would close a cycle;
    // the network logs its other refusals itself.
    const QDN_errorLog& log = QDN_GetErrorLog();
    const size_t logged = log.GetCount() + log.GetDropped();
    const int arc = network_->AddArc(header.parents[i], header.child, 0);
    if (arc == QDN_NO_ERROR) continue;
    const bool cycle = arc == QDN_OUT_OF_RANGE && log.GetCount() + log.GetDropped() == logged;
    const QDN_node& parent = *network_->GetNode(header.parents[i]);
    LogAt(line, arc,
          Concat({"ERROR: Couldn't add arc from node ",
                  Quoted(parent.GetName() ? parent.GetName() : parent.GetId()), " to node ",
                  Quoted(child_name), cycle ? ": it would close a cycle" : ""}));
    for (size_t k = 0; k < i; ++k)
      (void)network_->RemoveArc(header.parents[k], header.child, 0);
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  if (defined_.size() <= slot) defined_.resize(slot + 1, 0);
  defined_[slot] = 1;
  return ReadProbabilityBody(header);
}

int QDN_bifFormat::ReadNumbers(std::vector<double>& out) {
  out.clear();
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return QDN_NO_ERROR;
    if (token.kind == Kind::kPunct) {
      if (token.text == ";") {
        Consume();
        return QDN_NO_ERROR;
      }
      if (token.text == "}") return QDN_NO_ERROR;
      if (token.text == ",") {
        Consume();
        continue;
      }
    }
    double value = 0;
    if (token.kind != Kind::kWord || !ParseNumber(token.text, value)) {
      LogError(QDN_SYNTAX_ERROR,
               Concat({"ERROR: '", token.text.substr(0, 40), "' : Real Number expected"}));
      SkipEntry();
      return QDN_SYNTAX_ERROR;
    }
    out.push_back(value);
    Consume();
  }
}

// A probability block's table while its entries are read.
struct QDN_bifFormat::TableRead {
  TableRead(const Header& read_header, std::string name)
      : header(read_header), child_name(std::move(name)) {}

  const Header& header;
  std::string child_name;
  double* cells = nullptr;
  long long size = 0;
  long long states = 0;
  long long configurations = 0;
  // The parents' states by name, made at the first row.
  std::vector<StateIndex> parent_states;
  // Per parent configuration: given by a row.
  std::vector<char> given;
  long long rows = 0;
  bool table_seen = false;
  std::vector<double> defaults;
  std::vector<double> values;
};

int QDN_bifFormat::ReadProbabilityBody(const Header& header) {
  QDN_node& child = *network_->GetNode(header.child);
  QDN_nodeDefinition* definition = child.GetDefinition();
  QDN_Dmatrix* table = definition ? definition->GetTable() : nullptr;
  if (!table) {
    SkipBlockBody();
    return ReportError(QDN_WRONG_NODE_TYPE, {});
  }
  TableRead read{header, child.GetName() ? child.GetName() : child.GetId()};
  read.cells = table->GetItems().Data();
  read.size = table->GetSize();
  read.states = network_->GetNumberOfOutcomes(header.child);
  if (read.states < 1 || read.size % read.states != 0) {
    SkipBlockBody();
    return QDN_NO_ERROR;
  }
  read.configurations = read.size / read.states;
  for (;;) {
    const Token& token = Peek();
    if (token.kind == Kind::kEnd) return ExpectPunct("}");
    if (token.kind == Kind::kPunct && token.text == "}") break;
    const int line = token.line;
    if (token.kind == Kind::kPunct && token.text == ";") {
      Consume();
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "table")) {
      Consume();
      ReadFlatTable(read, line);
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "default")) {
      Consume();
      if (ReadValues(read, line, read.states)) read.defaults = read.values;
    } else if (token.kind == Kind::kWord && IsKeyword(token.text, "property")) {
      ReadProperty(-2);
    } else if (token.kind == Kind::kPunct && token.text == "(") {
      Consume();
      CB_TRY(ReadRow(read, line));
    } else {
      LogError(QDN_SYNTAX_ERROR,
               Concat({"ERROR: '", token.text.substr(0, 40), "' : Unknown probability statement"}));
      SkipEntry();
    }
  }
  Consume();
  FinishTable(read);
  return QDN_NO_ERROR;
}

bool QDN_bifFormat::ReadValues(TableRead& read, int line, long long expected) {
  if (ReadNumbers(read.values) != QDN_NO_ERROR) return false;
  if (static_cast<long long>(read.values.size()) == expected) return true;
  LogAt(line, QDN_OUT_OF_RANGE,
        Concat({"ERROR: Variable ", Quoted(read.child_name), " was expecting ",
                std::to_string(expected), " numbers but ", std::to_string(read.values.size()),
                " were read"}));
  return false;
}

void QDN_bifFormat::ReadFlatTable(TableRead& read, int line) {
  if (!ReadValues(read, line, read.size)) return;
  // The flat table runs over the child and then its parents, the last
  // fastest: the child's states vary slowest.
  for (long long s = 0; s < read.states; ++s)
    for (long long c = 0; c < read.configurations; ++c)
      read.cells[c * read.states + s] =
          read.values[static_cast<size_t>(s * read.configurations + c)];
  read.table_seen = true;
}

int QDN_bifFormat::ReadRow(TableRead& read, int line) {
  if (read.parent_states.empty()) {
    read.parent_states.reserve(read.header.parents.size());
    for (int parent : read.header.parents)
      read.parent_states.emplace_back(*network_->GetNode(parent));
    read.given.assign(static_cast<size_t>(read.configurations), 0);
  }
  long long configuration = 0;
  size_t named = 0;
  bool bad = false;
  for (;;) {
    const Token& state = Peek();
    if (state.kind == Kind::kPunct && state.text == ")") {
      Consume();
      break;
    }
    if (state.kind == Kind::kPunct && state.text == ",") {
      Consume();
      continue;
    }
    if (state.kind != Kind::kWord && state.kind != Kind::kString) {
      if (state.kind == Kind::kEnd) return ExpectPunct(")");
      LogError(QDN_SYNTAX_ERROR, Concat({"ERROR: '", state.text, "' : State name expected"}));
      bad = true;
      break;
    }
    if (named < read.parent_states.size() && !bad) {
      const int index = read.parent_states[named].Find(state.text);
      if (index < 0) {
        const QDN_node& parent = *network_->GetNode(read.header.parents[named]);
        LogError(QDN_OUT_OF_RANGE,
                 Concat({"ERROR: Unknown state ", Quoted(state.text), " of variable ",
                         Quoted(parent.GetName() ? parent.GetName() : parent.GetId())}));
        bad = true;
      } else {
        configuration = configuration * read.parent_states[named].Count() + index;
      }
    }
    ++named;
    Consume();
  }
  if (bad) {
    SkipEntry();
    return QDN_NO_ERROR;
  }
  if (named != read.parent_states.size()) {
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: Row names ", std::to_string(named), " states; variable ",
                  Quoted(read.child_name), " has ", std::to_string(read.parent_states.size()),
                  " parents"}));
    SkipEntry();
    return QDN_NO_ERROR;
  }
  if (!ReadValues(read, line, read.states)) return QDN_NO_ERROR;
  char& seen = read.given[static_cast<size_t>(configuration)];
  if (seen)
    LogAt(line, QDN_OUT_OF_RANGE,
          Concat({"ERROR: Row given twice for variable ", Quoted(read.child_name)}));
  else
    ++read.rows;
  seen = 1;
  std::copy(read.values.begin(), read.values.end(), read.cells + configuration * read.states);
  return QDN_NO_ERROR;
}

void QDN_bifFormat::FinishTable(const TableRead& read) {
  if (read.table_seen || read.rows == read.configurations) return;
  if (!read.defaults.empty()) {
    for (long long c = 0; c < read.configurations; ++c)
      if (read.given.empty() || !read.given[static_cast<size_t>(c)])
        std::copy(read.defaults.begin(), read.defaults.end(), read.cells + c * read.states);
    return;
  }
  LogError(QDN_OUT_OF_RANGE,
           Concat({"ERROR: Variable ", Quoted(read.child_name), " has no probabilities for ",
                   std::to_string(read.configurations - read.rows), " of ",
                   std::to_string(read.configurations), " parent configurations"}));
}
