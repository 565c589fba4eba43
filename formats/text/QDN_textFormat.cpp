#include "formats/text/QDN_textFormat.h"
#include "core/QDN_text.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_set>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

bool IsPunctuatorKind(int kind) {
  return kind == QDN_TOKEN_PUNCTUATOR || kind == QDN_TOKEN_SLASH || kind == QDN_TOKEN_EQUALS ||
         kind == QDN_TOKEN_DOUBLE_EQUALS || kind == QDN_TOKEN_DOT || kind == QDN_TOKEN_SIGN;
}

bool IsNamedKind(int kind) {
  return kind == QDN_TOKEN_IDENTIFIER || kind == QDN_TOKEN_INTEGER || kind == QDN_TOKEN_REAL ||
         kind == QDN_TOKEN_PUNCTUATOR || kind == QDN_TOKEN_STRING;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the NUL-terminated text starts with token, without regard to
// ASCII case (the whole of it when whole), without measuring text first:
// readers try keyword after keyword on the same token, and most trials fail
// at the first character.
bool StartsWithIgnoringCase(const char* text, std::string_view token, bool whole) {
  for (const char c : token) {
    const char t = *text++;
    if (t == 0 || LowerAscii(c) != LowerAscii(t)) return false;
  }
  return !whole || *text == 0;
}

// Whether token matches the expectation (kind, and text when given). A
// punctuator expected matches a token of any punctuator kind that is its
// beginning ("=" of "==").
bool Matches(const QDN_token& token, int kind, const char* text) {
  if (token.kind == kind) return !text || StartsWithIgnoringCase(text, token.text, true);
  if (kind == QDN_TOKEN_PUNCTUATOR && text && IsPunctuatorKind(token.kind))
    return StartsWithIgnoringCase(text, token.text, false);
  return false;
}

} // namespace

QDN_textFormat::~QDN_textFormat() = default;

int QDN_textFormat::BeginRead(const char* fileName, QDN_lexerVariant variant) {
  try {
    lexer_ = std::make_unique<QDN_lexer>(variant);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  CB_TRY(lexer_->Status());
  return lexer_->OpenFile(fileName);
}

int QDN_textFormat::Peek(QDN_token& token) {
  if (!lexer_) return QDN_OUT_OF_RANGE;
  return lexer_->NextToken(token);
}

QDN_token QDN_textFormat::CurrentToken() const { return lexer_ ? lexer_->Current() : QDN_token{}; }

int QDN_textFormat::GetLine() const { return lexer_ ? lexer_->GetLinesRead() : 0; }

int QDN_textFormat::ReportError(int status, std::string_view message) {
  if (status == QDN_NO_ERROR) return QDN_NO_ERROR;
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "(line %d) : ", GetLine());
  const std::string text(message);
  return QDN_Log(status, text.empty() ? nullptr : text.c_str(), prefix);
}

size_t QDN_textFormat::LoggedSoFar() {
  const QDN_errorLog& log = QDN_GetErrorLog();
  return log.GetCount() + log.GetDropped();
}

void QDN_textFormat::ReportWrongStart(const char* keyword) {
  QDN_token token;
  if (Peek(token) < 0) {
    LogError(QDN_SYNTAX_ERROR, Concat({"ERROR: End of File : Expecting '", keyword, "'"}));
  } else {
    LogError(QDN_SYNTAX_ERROR, Concat({"ERROR: '", token.text, "' : '", keyword, "' expected"}));
  }
}

int QDN_textFormat::ReportUnknown(const char* what) {
  QDN_token token;
  (void)Peek(token);
  std::string message = "ERROR: '";
  message += token.text;
  message += "' : ";
  message += what;
  return ReportError(QDN_SYNTAX_ERROR, message);
}

int QDN_textFormat::Expect(int kind, const char* text) {
  // The token expected is by far the most common case: it is taken without
  // the message building of a failure.
  if (!lexer_) return QDN_Log(QDN_SYNTAX_ERROR, "ERROR: Unable to parse file");
  QDN_token token;
  const int peeked = lexer_->NextToken(token);
  if (peeked == QDN_NO_ERROR && Matches(token, kind, text)) {
    lexer_->Consume();
    return QDN_NO_ERROR;
  }
  return ReportUnexpected(kind, text, peeked, token);
}

int QDN_textFormat::ReportUnexpected(int kind, const char* text, int peeked,
                                     const QDN_token& token) {
  if (peeked < 0) {
    const char* name = TokenKindName(kind);
    std::string message;
    if (IsNamedKind(kind)) {
      message = "ERROR: End of File : Expecting ";
      message += text ? Concat({"'", text, "'"}) : std::string(name ? name : "");
    } else {
      message = "ERROR: Unexpected End of File";
    }
    return ReportError(QDN_SYNTAX_ERROR, message);
  }
  std::string message = "ERROR: '";
  message += token.text;
  if (IsNamedKind(kind)) {
    message += "' : ";
    if (text) {
      message += "'";
      message += text;
      message += "'";
    } else {
      message += TokenKindName(kind);
    }
    message += " expected";
  } else {
    message += "' : Unexpected";
  }
  return ReportError(QDN_SYNTAX_ERROR, message);
}

int QDN_textFormat::Match(int kind, const char* text) {
  if (!lexer_) return QDN_OUT_OF_RANGE;
  QDN_token token;
  CB_TRY(lexer_->NextToken(token));
  if (!Matches(token, kind, text)) return QDN_SYNTAX_ERROR;
  lexer_->Consume();
  return QDN_NO_ERROR;
}

int QDN_textFormat::NextIsIdentifier() {
  QDN_token token;
  CB_TRY(Peek(token));
  return token.kind == QDN_TOKEN_IDENTIFIER ? 1 : 0;
}

int QDN_textFormat::NextIsString() {
  QDN_token token;
  CB_TRY(Peek(token));
  return token.kind == QDN_TOKEN_STRING ? 1 : 0;
}

int QDN_textFormat::NextIsPunctuator(const char* text) {
  QDN_token token;
  CB_TRY(Peek(token));
  // Compared without measuring text: this is asked after every statement.
  if (!IsPunctuatorKind(token.kind)) return 0;
  for (const char c : token.text)
    if (*text++ != c || c == 0) return 0;
  return *text == 0 ? 1 : 0;
}

int QDN_textFormat::NextIsNumber() {
  QDN_token token;
  CB_TRY(Peek(token));
  return token.kind == QDN_TOKEN_INTEGER || token.kind == QDN_TOKEN_REAL ? 1 : 0;
}

int QDN_textFormat::NextIsInteger() {
  QDN_token token;
  CB_TRY(Peek(token));
  return token.kind == QDN_TOKEN_INTEGER ? 1 : 0;
}

int QDN_textFormat::NextKeyword(std::span<const std::string_view> keywords) {
  const int none = static_cast<int>(keywords.size());
  QDN_token token;
  if (Peek(token) < 0 || token.kind != QDN_TOKEN_IDENTIFIER) return none;
  // The length and the first and last letters tell the keywords of a
  // statement apart; the trial that starts there compares the whole.
  const size_t size = token.text.size();
  if (size == 0) return none;
  const char first = LowerAscii(token.text.front()), last = LowerAscii(token.text.back());
  for (int i = 0; i < none; ++i) {
    const std::string_view keyword = keywords[static_cast<size_t>(i)];
    if (keyword.size() == size && LowerAscii(keyword.front()) == first &&
        LowerAscii(keyword.back()) == last)
      return i;
  }
  return none;
}

bool QDN_textFormat::NextTextIs(std::string_view text) {
  QDN_token token;
  return Peek(token) == QDN_NO_ERROR && token.text == text;
}

int QDN_textFormat::ReadInteger(int& value) {
  QDN_token token;
  CB_TRY(Peek(token));
  if (token.kind != QDN_TOKEN_INTEGER) return QDN_SYNTAX_ERROR;
  lexer_->Consume();
  if (QDN_ParseInt(token.text, value) != QDN_NO_ERROR) {
    std::string message = "ERROR: '";
    message += token.text;
    message += "' : Integer out of range";
    return ReportError(QDN_OUT_OF_RANGE, message);
  }
  return QDN_NO_ERROR;
}

int QDN_textFormat::ReadReal(double& value) {
  QDN_token token;
  CB_TRY(Peek(token));
  if (token.kind != QDN_TOKEN_INTEGER && token.kind != QDN_TOKEN_REAL) return QDN_SYNTAX_ERROR;
  lexer_->Consume();
  return QDN_ParseReal(token.text, value);
}

int QDN_textFormat::TakeNumber(double& value) {
  bool logged = false;
  return TakeNumber(value, logged);
}

int QDN_textFormat::TakeNumber(double& value, bool& logged) {
  logged = false;
  if (!lexer_) return QDN_OUT_OF_RANGE;
  QDN_token token;
  if (lexer_->Take(QDN_TOKEN_INTEGER, QDN_TOKEN_REAL, token) != 1) return 0;
  CB_TRY(QDN_ParseReal(token.text, value));
  if (!std::isfinite(value)) {
    logged = true;
    return ReportError(QDN_OUT_OF_RANGE,
                       Concat({"ERROR: '", token.text, "' : Number out of range"}));
  }
  return 1;
}

int QDN_textFormat::TakePunctuator(char c) {
  if (!lexer_) return QDN_OUT_OF_RANGE;
  return lexer_->TakePunctuator(c) == 1 ? 1 : 0;
}

std::string QDN_textFormat::Concat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts)
    out.append(part);
  return out;
}

std::string QDN_textFormat::EscapeString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '\t':
      out += "\\t";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    default:
      out += c;
    }
  }
  return out;
}

void QDN_textFormat::WriteText(std::string_view text, bool escaped) {
  if (!escaped) {
    out_.WriteWrapped(text);
    return;
  }
  out_.SetContinuation(style_.quoted_continuation);
  out_.WriteWrapped(EscapeString(text));
  out_.SetContinuation({});
}

int QDN_textFormat::SkipStatement() {
  int depth = 0;
  for (;;) {
    QDN_token token;
    if (int status = Peek(token); status < 0) return QDN_Log(status, nullptr);
    if (token.kind == QDN_TOKEN_PUNCTUATOR) {
      if (token.text == ";" && depth <= 0) return QDN_NO_ERROR;
      if (token.text == "{") ++depth;
      if (token.text == "}") --depth;
    }
    lexer_->Consume();
  }
}

void QDN_textFormat::SkipPastSemicolon() {
  (void)SkipStatement();
  TakePunctuator(';');
}

void QDN_textFormat::EndStatement(int status, size_t logged) {
  switch (semicolons_) {
  case Semicolons::kRequired:
    if (status != QDN_NO_ERROR) (void)SkipStatement();
    if (Match(QDN_TOKEN_PUNCTUATOR, ";") != QDN_NO_ERROR) SkipPastSemicolon();
    return;
  case Semicolons::kRequiredReported:
    if (status != QDN_NO_ERROR) {
      // Whatever is skipped is skipped with a message.
      if (LoggedSoFar() == logged) LogUnknown("Statement skipped");
      (void)SkipStatement();
    } else if (NextIsPunctuator(";") != 1) {
      // A missing ";" makes the reader skip the next statement: say so.
      (void)Expect(QDN_TOKEN_PUNCTUATOR, ";");
      (void)SkipStatement();
    }
    // The ";" that ends this statement (or that SkipStatement stopped at).
    TakePunctuator(';');
    return;
  case Semicolons::kOptional:
    if (status != QDN_NO_ERROR) (void)SkipStatement();
    TakePunctuator(';');
    return;
  }
}

void QDN_textFormat::SkipBlockRemainder() {
  int depth = 0;
  for (;;) {
    QDN_token token;
    if (int status = Peek(token); status < 0) {
      QDN_Log(status, nullptr);
      return;
    }
    lexer_->Consume();
    if (token.kind != QDN_TOKEN_PUNCTUATOR) continue;
    if (token.text == "{") ++depth;
    if (token.text == "}" && --depth <= 0) return;
  }
}

void QDN_textFormat::TakeParentIds(int child) {
  if (!lexer_) return;
  QDN_token token;
  while (lexer_->Take(QDN_TOKEN_IDENTIFIER, QDN_TOKEN_IDENTIFIER, token) == 1) {
    const std::string parent_id(token.text);
    const int parent = network_->FindNode(parent_id.c_str());
    const int status = parent < 0 ? parent : network_->AddArc(parent, child, 0);
    if (status < 0)
      LogError(status, Concat({"ERROR: Couldn't add arc from parent node (\"", parent_id, "\")"}));
  }
}

bool QDN_textFormat::KeepReadyNode(int handle, std::string_view id) {
  QDN_node& node = *network_->GetNode(handle);
  node.CheckReadiness(1);
  if (node.IsReady()) return true;
  QDN_Log(QDN_OBJECT_NOT_READY,
          Concat({"ERROR: Node not ready (valid). Node (\"", id, "\") deleted"}).c_str());
  (void)network_->DeleteNode(handle);
  return false;
}

int QDN_textFormat::TakeStrings(QDN_stringArray& out) {
  if (!lexer_) return QDN_OUT_OF_RANGE;
  QDN_token token;
  while (lexer_->Take(QDN_TOKEN_STRING, QDN_TOKEN_STRING, token) == 1)
    CB_TRY(out.Append(std::string(token.text).c_str()));
  return QDN_NO_ERROR;
}

int QDN_textFormat::TakeNumbers(QDN_doubleArray& out) {
  double value = 0;
  int taken = 0;
  while ((taken = TakeNumber(value)) == 1)
    CB_TRY(out.Append(value));
  return taken;
}

int QDN_textFormat::ReadSpacedStringList(QDN_stringArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  CB_TRY(TakeStrings(out));
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

int QDN_textFormat::ReadSpacedDoubleList(QDN_doubleArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  CB_TRY(TakeNumbers(out));
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

int QDN_textFormat::ReadSpacedIntList(QDN_intArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  while (NextIsInteger() == 1) {
    int value = 0;
    CB_TRY(ReadInteger(value));
    CB_TRY(out.Append(value));
  }
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

namespace {

// Reads "(" elements separated by "," ")"; read_one consumes and stores one
// element. An element of the wrong kind after a "," is reported as an
// element of `kind` expected, with its line.
template <typename IsElement, typename ReadOne>
int ReadList(QDN_textFormat& format, QDN_lexer& lexer, int kind, IsElement is_element,
             ReadOne read_one) {
  CB_TRY(format.Expect(QDN_TOKEN_PUNCTUATOR, "("));
  QDN_token token;
  if (lexer.NextToken(token) == QDN_NO_ERROR && is_element(token)) {
    for (;;) {
      CB_TRY(read_one(token));
      lexer.Consume();
      if (lexer.NextToken(token) < 0 || token.kind != QDN_TOKEN_PUNCTUATOR || token.text != ",")
        break;
      lexer.Consume();
      if (lexer.NextToken(token) < 0 || !is_element(token)) {
        const int status = format.Expect(kind, nullptr);
        return status < 0 ? status : QDN_SYNTAX_ERROR;
      }
    }
  }
  return format.Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

} // namespace

int QDN_textFormat::ReadIdentifierList(QDN_stringArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  if (!lexer_) return QDN_OUT_OF_RANGE;
  return ReadList(
      *this, *lexer_, QDN_TOKEN_IDENTIFIER,
      [](const QDN_token& t) { return t.kind == QDN_TOKEN_IDENTIFIER; },
      [&](const QDN_token& t) { return out.Append(std::string(t.text).c_str()); });
}

int QDN_textFormat::ReadStringList(QDN_stringArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  if (!lexer_) return QDN_OUT_OF_RANGE;
  return ReadList(
      *this, *lexer_, QDN_TOKEN_STRING,
      [](const QDN_token& t) { return t.kind == QDN_TOKEN_STRING; },
      [&](const QDN_token& t) { return out.Append(std::string(t.text).c_str()); });
}

int QDN_textFormat::ReadDoubleList(QDN_doubleArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  if (!lexer_) return QDN_OUT_OF_RANGE;
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  double value = 0;
  // A number that does not convert (such as "-.") fails the list.
  const auto not_converted = [&] {
    return ReportError(QDN_SYNTAX_ERROR,
                       Concat({"ERROR: '", CurrentToken().text, "' : Real Number expected"}));
  };
  bool logged = false;
  int got = TakeNumber(value, logged);
  if (got < 0) return logged ? got : not_converted();
  if (got == 1) {
    for (;;) {
      CB_TRY(out.Append(value));
      if (TakePunctuator(',') != 1) break;
      // After a comma a number must follow ("nan", say, is not one).
      got = TakeNumber(value, logged);
      if (got < 0) return logged ? got : not_converted();
      if (got == 0) {
        const int status = Expect(QDN_TOKEN_REAL, nullptr);
        return status < 0 ? status : QDN_SYNTAX_ERROR;
      }
    }
  }
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

int QDN_textFormat::ReadIntList(QDN_intArray& out) {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  if (!lexer_) return QDN_OUT_OF_RANGE;
  return ReadList(
      *this, *lexer_, QDN_TOKEN_INTEGER,
      [](const QDN_token& t) { return t.kind == QDN_TOKEN_INTEGER; },
      [&](const QDN_token& t) {
        int value = 0;
        if (QDN_ParseInt(t.text, value) < 0) {
          std::string message = "ERROR: '";
          message += t.text;
          message += "' : Integer out of range";
          return ReportError(QDN_OUT_OF_RANGE, message);
        }
        return out.Append(value);
      });
}

int QDN_textFormat::ReadAssignment(const char* keyword, int kind) {
  if (Match(QDN_TOKEN_IDENTIFIER, keyword) != QDN_NO_ERROR) return QDN_NOT_THIS_STATEMENT;
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, assignment_));
  return Expect(kind, nullptr);
}

int QDN_textFormat::ReadIntAssignment(const char* keyword, int& value) {
  CB_TRY(ReadAssignment(keyword, QDN_TOKEN_INTEGER));
  const QDN_token token = CurrentToken();
  if (QDN_ParseInt(token.text, value) < 0) {
    std::string message = "ERROR: '";
    message += token.text;
    message += "' : Integer out of range";
    return ReportError(QDN_OUT_OF_RANGE, message);
  }
  return QDN_NO_ERROR;
}

int QDN_textFormat::ReadBoolAssignment(const char* keyword, int& value) {
  CB_TRY(ReadAssignment(keyword, QDN_TOKEN_IDENTIFIER));
  const QDN_token token = CurrentToken();
  if (token.text == "TRUE") {
    value = 1;
    return QDN_NO_ERROR;
  }
  if (token.text == "FALSE") {
    value = 0;
    return QDN_NO_ERROR;
  }
  std::string message = "ERROR: (\"";
  message += token.text;
  message += "\") : Boolean Expected";
  return ReportError(QDN_SYNTAX_ERROR, message);
}

int QDN_textFormat::ReadBlockStart(const char*) { return QDN_NO_ERROR; }

int QDN_textFormat::ReadBlockEnd() { return Expect(QDN_TOKEN_PUNCTUATOR, "}"); }

int QDN_textFormat::IsBlockEnd() {
  QDN_token token;
  if (Peek(token) < 0) return 1;
  return token.text == "}" && token.kind == QDN_TOKEN_PUNCTUATOR ? 1 : 0;
}

void QDN_textFormat::WriteBlockStart(const char* name) {
  WriteIndentedLine(name);
  out_.WriteRaw(" {\n");
  out_.IndentMore();
}

void QDN_textFormat::WriteBlockEnd() {
  out_.IndentLess();
  WriteIndentedLine("};\n");
}

void QDN_textFormat::WriteStringStatement(const char* name, std::string_view value, bool quoted,
                                          bool escaped) {
  if (!name) return;
  WriteIndentedLine(name);
  WriteAssign();
  if (quoted) out_.WriteRaw("\"");
  if (style_.wrap_values) {
    WriteText(value, escaped);
  } else {
    // On one line whole, with the backslash sequences the reader decodes.
    out_.WriteRaw(escaped ? EscapeString(value) : std::string(value));
  }
  if (quoted) out_.WriteRaw("\"");
  out_.WriteRaw(";\n");
}

void QDN_textFormat::WriteIntStatement(const char* name, int value) {
  WriteStringStatement(name, std::to_string(value), false, false);
}

void QDN_textFormat::WriteBoolStatement(const char* name, bool value) {
  WriteStringStatement(name, value ? "TRUE" : "FALSE", false, false);
}

void QDN_textFormat::WriteQuotedStatement(const char* name, std::string_view value) {
  WriteStringStatement(name, value, true, true);
}

void QDN_textFormat::WriteAssign() {
  if (style_.wrap_values) {
    out_.WriteWrapped(style_.assign);
  } else {
    out_.WriteRaw(style_.assign);
  }
}

void QDN_textFormat::WriteListItems(int count, const std::function<std::string(int)>& item) {
  const bool commas = style_.lists == QDN_listSeparator::kComma;
  out_.WriteWrapped("(");
  std::string text;
  for (int i = 0; i < count; ++i) {
    text = i == 0 ? "" : commas ? ", " : " ";
    text += item(i);
    out_.WriteWrapped(text);
  }
  out_.WriteWrapped(")");
}

void QDN_textFormat::WriteIdentifierList(const QDN_stringArray& list) {
  // Lines break only between the items, never inside one.
  const bool commas = style_.lists == QDN_listSeparator::kComma;
  out_.WriteWrapped("(");
  for (int i = 0; i < list.GetCount(); ++i) {
    if (i > 0) out_.WriteWrapped(commas ? ", " : "  ");
    if (commas) {
      out_.WriteRaw(list.ViewAt(i));
    } else {
      out_.WriteRaw(std::string("\"").append(EscapeString(list.ViewAt(i))).append("\""));
    }
  }
  out_.WriteWrapped(")");
}

void QDN_textFormat::WriteStringList(const QDN_stringArray& list) {
  out_.WriteWrapped("(");
  for (int i = 0; i < list.GetCount(); ++i) {
    if (i > 0) {
      out_.WriteRaw(",");
      if (out_.GetColumn() > out_.GetLineWidth() - 3) {
        out_.WriteRaw("\n", QDN_lineStart::kIndented);
      } else {
        out_.WriteRaw(" ");
      }
    }
    out_.WriteRaw("\"");
    WriteText(list.ViewAt(i), true);
    out_.WriteRaw("\"");
  }
  out_.WriteWrapped(")");
}

void QDN_textFormat::WriteDoubleList(std::span<const double> values) {
  WriteListItems(static_cast<int>(values.size()),
                 [&](int i) { return QDN_FormatReal(values[static_cast<size_t>(i)]); });
}

void QDN_textFormat::WriteIntList(std::span<const int> values) {
  WriteListItems(static_cast<int>(values.size()),
                 [&](int i) { return std::to_string(values[static_cast<size_t>(i)]); });
}

void QDN_textFormat::WriteIdentifierListStatement(const char* name, const QDN_stringArray& list) {
  WriteIndentedLine(name);
  WriteAssign();
  WriteIdentifierList(list);
  out_.WriteRaw(";\n");
}

void QDN_textFormat::WriteStringListStatement(const char* name, const QDN_stringArray& list) {
  WriteIndentedLine(name);
  WriteAssign();
  WriteStringList(list);
  out_.WriteRaw(";\n");
}

void QDN_textFormat::WriteDoubleListStatement(const char* name, std::span<const double> values) {
  WriteIndentedLine(name);
  WriteAssign();
  WriteDoubleList(values);
  out_.WriteRaw(";\n");
}

void QDN_textFormat::WriteIntListStatement(const char* name, std::span<const int> values) {
  WriteIndentedLine(name);
  WriteAssign();
  WriteIntList(values);
  out_.WriteRaw(";\n");
}

int QDN_textFormat::FirstNodeOfType(std::initializer_list<int> types) const {
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_->GetNode(h)->GetDefinition();
    const int type = definition ? definition->GetType() : 0;
    for (int wanted : types)
      if (type == wanted) return h;
  }
  return -1;
}

QDN_stringArray QDN_textFormat::NodeIds(const QDN_intArray& handles) {
  QDN_stringArray ids;
  for (int i = 0; i < handles.GetCount(); ++i) {
    const char* id = network_->GetNode(handles.At(i))->GetId();
    out_.Check(ids.Append(id ? id : "UnknownParent"));
  }
  return ids;
}

namespace {

// The lists of dimensions dimension and on, the group of cells from index start.
void WriteNested(QDN_textFile& out, const QDN_Dmatrix& table, int dimension, int last, int start,
                 std::string_view separator, const std::function<void(int, int)>& leaf) {
  const int dimensions = table.GetNumberOfDimensions();
  int count = 1; // cells of one item at this level
  for (int k = dimension + 1; k < dimensions; ++k)
    count *= table.GetDimensionSize(k);
  if (dimension >= dimensions - last) {
    leaf(start, dimension < dimensions ? count * table.GetDimensionSize(dimension) : 1);
    return;
  }
  out.WriteRaw("(");
  for (int i = 0; i < table.GetDimensionSize(dimension); ++i) {
    if (i > 0) {
      out.WriteRaw(separator);
      out.WriteIndent();
    }
    WriteNested(out, table, dimension + 1, last, start + i * count, separator, leaf);
  }
  out.WriteRaw(")");
}

} // namespace

void QDN_textFormat::WriteNestedTable(const QDN_Dmatrix& table, int last,
                                      std::string_view separator,
                                      const std::function<void(int, int)>& leaf) {
  WriteNested(out_, table, 0, last, 0, separator, leaf);
}

void QDN_textFormat::NoteFileOutcomes(int handle, int count) {
  if (count == 1) {
    single_state_[handle] = network_->GetNode(handle);
  } else {
    single_state_.erase(handle);
  }
}

int QDN_textFormat::FileOutcomeCount(int handle) const {
  const auto it = single_state_.find(handle);
  const int n = network_->GetNumberOfOutcomes(handle);
  return it != single_state_.end() && it->second == network_->GetNode(handle) && n > 1 ? 1 : n;
}

bool QDN_textFormat::FileShape(int handle, bool own, std::vector<int>& engine,
                               std::vector<int>& file) const {
  engine.clear();
  file.clear();
  if (single_state_.empty()) return false;
  auto add = [&](int h) {
    engine.push_back(network_->GetNumberOfOutcomes(h));
    file.push_back(FileOutcomeCount(h));
  };
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  for (int i = 0; i < parents.GetCount(); ++i)
    add(parents.At(i));
  if (own) add(handle);
  return engine != file;
}

namespace {

// For every cell of a table of shape engine (last dimension fastest), the
// cell of the table of shape file it takes: -1 for a state the file does not
// have in the last dimension when own, the parent's state 0 for one in
// another dimension.
std::vector<long long> CellSources(const std::vector<int>& engine, const std::vector<int>& file,
                                   bool own) {
  long long total = 1;
  for (int n : engine)
    total *= n;
  std::vector<long long> sources;
  if (total <= 0) return sources;
  sources.reserve(static_cast<size_t>(total));
  std::vector<int> coords(engine.size(), 0);
  const size_t last = engine.size() - 1;
  for (long long i = 0; i < total; ++i) {
    long long source = 0;
    for (size_t d = 0; d < engine.size(); ++d) {
      int c = coords[d];
      if (c >= file[d]) {
        if (own && d == last) {
          source = -1;
          break;
        }
        c = 0;
      }
      source = source * file[d] + c;
    }
    sources.push_back(source);
    for (size_t d = engine.size(); d-- > 0;) {
      if (++coords[d] < engine[d]) break;
      coords[d] = 0;
    }
  }
  return sources;
}

template <typename T>
bool Spread(const std::vector<int>& engine, const std::vector<int>& file, bool own,
            std::vector<T>& values) {
  long long file_cells = 1;
  for (int n : file)
    file_cells *= n;
  if (static_cast<long long>(values.size()) != file_cells) return false;
  const std::vector<long long> sources = CellSources(engine, file, own);
  std::vector<T> spread;
  spread.reserve(sources.size());
  for (long long source : sources)
    spread.push_back(source < 0 ? T() : values[static_cast<size_t>(source)]);
  values.swap(spread);
  return true;
}

} // namespace

bool QDN_textFormat::SpreadOverAddedStates(int handle, bool own,
                                           std::vector<double>& values) const {
  std::vector<int> engine, file;
  return FileShape(handle, own, engine, file) && !engine.empty() &&
         Spread(engine, file, own, values);
}

bool QDN_textFormat::SpreadOverAddedStates(int handle, bool own,
                                           std::vector<std::string>& values) const {
  std::vector<int> engine, file;
  return FileShape(handle, own, engine, file) && !engine.empty() &&
         Spread(engine, file, own, values);
}

void QDN_textFormat::FillAddedStates(int handle, bool own, double* cells, size_t count) const {
  std::vector<int> engine, file;
  if (!FileShape(handle, own, engine, file) || engine.empty()) return;
  // The file's cells sit at their own coordinates here; each added cell
  // takes the cell of the same coordinates with the added states at 0,
  // which comes before it.
  std::vector<int> coords(engine.size(), 0);
  const size_t last = engine.size() - 1;
  for (size_t i = 0; i < count; ++i) {
    bool added = false, zero = false;
    size_t source = 0;
    for (size_t d = 0; d < engine.size(); ++d) {
      int c = coords[d];
      if (c >= file[d]) {
        added = true;
        if (own && d == last) zero = true;
        c = 0;
      }
      source = source * static_cast<size_t>(engine[d]) + static_cast<size_t>(c);
    }
    if (zero) {
      cells[i] = 0;
    } else if (added && source < i) {
      cells[i] = cells[source];
    }
    for (size_t d = engine.size(); d-- > 0;) {
      if (++coords[d] < engine[d]) break;
      coords[d] = 0;
    }
  }
}

std::string QDN_textFormat::UniqueNodeId(const std::string& text) const {
  std::string id = text.empty() ? "x" : text;
  (void)QDN_idArray::MakeValidId(id);
  if (!network_->IsIdentifierInUse(id.c_str(), -1)) return id;
  for (int number = 0;; ++number) {
    std::string candidate = id;
    candidate += std::to_string(number);
    if (!network_->IsIdentifierInUse(candidate.c_str(), -1)) return candidate;
  }
}

std::vector<std::string> QDN_textFormat::OriginalOutcomeTexts(const QDN_idArray& ids,
                                                              const QDN_extraDefinition* extra,
                                                              bool (*carried)(std::string_view),
                                                              bool& any_original) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(ids.GetCount()));
  std::unordered_set<std::string_view> used;
  any_original = false;
  for (int i = 0; i < ids.GetCount(); ++i) {
    const QDN_optionalText* original =
        extra && i < extra->GetNumberOfOutcomes() && extra->GetOutcome(i).long_name
            ? &extra->GetOutcome(i).long_name
            : nullptr;
    std::string repaired(original ? **original : std::string_view());
    const bool use = original && (!carried || carried(**original)) &&
                     QDN_idArray::MakeValidId(repaired) == QDN_NO_ERROR &&
                     repaired == ids.ViewAt(i) && used.insert(**original).second;
    any_original = any_original || use;
    texts.emplace_back(use ? std::string_view(**original) : ids.ViewAt(i));
  }
  return texts;
}
