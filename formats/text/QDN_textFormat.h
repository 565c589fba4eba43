#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/QDN_lexer.h"
#include "core/QDN_status.h"
#include "formats/text/QDN_textFile.h"
#include "network/QDN_fileFormat.h"

class QDN_network;
class QDN_Dmatrix;
class QDN_stringArray;
class QDN_doubleArray;
class QDN_intArray;
class QDN_idArray;
class QDN_extraDefinition;

// How a format separates list items: "(a, b)", or "(a b)" with identifiers
// given as quoted strings two blanks apart.
enum class QDN_listSeparator { kComma, kBlank };

// Base of every model-file format: the lexer of one read, the output file of
// one write, and the statement readers and writers the text formats share
// (keyword "=" value ";", parenthesised lists, blocks in braces). A format
// object is made for exactly one read or one write of its network.
class QDN_textFormat : public QDN_fileFormat {
public:
  explicit QDN_textFormat(QDN_network* network) : network_(network) {}
  QDN_textFormat(const QDN_textFormat&) = delete;
  QDN_textFormat& operator=(const QDN_textFormat&) = delete;
  ~QDN_textFormat() override;

  // ReadFile and WriteFile (QDN_fileFormat) are each format's own.

  // Skips tokens up to the ";" at brace depth 0 (left unconsumed).
  virtual int SkipStatement();
  virtual int SkipBlock() { return SkipStatement(); }
  // "(" items separated by "," ")"; items are appended.
  virtual int ReadIdentifierList(QDN_stringArray& out);
  virtual int ReadStringList(QDN_stringArray& out);
  virtual int ReadDoubleList(QDN_doubleArray& out);
  virtual int ReadIntList(QDN_intArray& out);
  // keyword "=" value (or the format's other assignment_ sign): -129 (no
  // message) when the keyword is not next.
  virtual int ReadAssignment(const char* keyword, int kind);
  virtual int ReadIntAssignment(const char* keyword, int& value);
  virtual int ReadBoolAssignment(const char* keyword, int& value);
  virtual int ReadBlockStart(const char* keyword);
  virtual int ReadBlockEnd();
  // 1 when the next token is "}" or there is none.
  virtual int IsBlockEnd();
  // Logs message with the "(line %d) : " prefix and returns status (0: nothing).
  virtual int ReportError(int status, std::string_view message);
  // ReportError for a fault the reader reads on after: the message is all
  // that is left of it.
  void LogError(int status, std::string_view message) { (void)ReportError(status, message); }

  // Writing statements. Nothing is returned: the output file remembers its
  // first failure, which the writer gets when it closes the file.
  //
  // name, the format's assignment, the value and ";" with a line feed. A
  // statement without a name is not written. quoted puts the value in double
  // quotes; escaped writes it with backslash sequences for tabs, line ends,
  // quotes and backslashes.
  void WriteStringStatement(const char* name, std::string_view value, bool quoted, bool escaped);
  void WriteIntStatement(const char* name, int value);
  // TRUE or FALSE.
  void WriteBoolStatement(const char* name, bool value);
  // Quoted and escaped.
  void WriteQuotedStatement(const char* name, std::string_view value);
  // Lists: "(" the items ")", separated as the format's lists are.
  void WriteIdentifierListStatement(const char* name, const QDN_stringArray& list);
  void WriteStringListStatement(const char* name, const QDN_stringArray& list);
  void WriteDoubleListStatement(const char* name, std::span<const double> values);
  void WriteIntListStatement(const char* name, std::span<const int> values);
  void WriteIdentifierList(const QDN_stringArray& list);
  // Quoted and escaped strings, comma-separated.
  void WriteStringList(const QDN_stringArray& list);
  void WriteDoubleList(std::span<const double> values);
  void WriteIntList(std::span<const int> values);
  // A block: name " {" on its line, its statements one level deeper, "};".
  virtual void WriteBlockStart(const char* name);
  virtual void WriteBlockEnd();

  // Consumes the next token when it is of kind (and text, compared without
  // regard to ASCII case); otherwise reports "... expected" with -127.
  int Expect(int kind, const char* text);
  // As Expect without a message: 0, -127 (token left), -2 without a lexer.
  int Match(int kind, const char* text);
  // Peek predicates: 1 or 0, -111 at the end of the input.
  int NextIsIdentifier();
  int NextIsString();
  int NextIsPunctuator(const char* text);
  int NextIsNumber();
  int NextIsInteger();
  // The position in keywords of the first one the next token may be (an
  // Identifier of its length and first and last letters, without regard to
  // ASCII case), or their count when it can be none of them. Statement
  // readers that try keyword after keyword start there: the trials before
  // it would fail without effect, and the trials from it compare whole
  // keywords as before.
  int NextKeyword(std::span<const std::string_view> keywords);
  // The next token's text when it is exactly text (case-sensitive).
  bool NextTextIs(std::string_view text);
  int ReadInteger(int& value);
  int ReadReal(double& value);
  // When the next token is an Integer or a Real Number, consumes it and
  // converts it with QDN_ParseReal: 1, or its failure status. 0 when the
  // next token is not a number or there is none (it is left unconsumed). A
  // number too large for a double is refused with a logged message (-2):
  // stored, it would be an infinity that no writer can write back.
  int TakeNumber(double& value);
  // As TakeNumber; logged tells whether a failure was already logged.
  int TakeNumber(double& value, bool& logged);
  // Consumes the next token when it is the Punctuator c: 1; otherwise 0.
  int TakePunctuator(char c);
  // The current token (the one last peeked or consumed).
  QDN_token CurrentToken() const;
  // The line of the input the reader is at (for message prefixes).
  virtual int GetLine() const;

  static std::string EscapeString(std::string_view text);
  // The parts joined into one message text.
  static std::string Concat(std::initializer_list<std::string_view> parts);

  // The indentation, then text wrapped.
  void WriteIndentedLine(std::string_view text) { out_.WriteLine(text); }
  // Text wrapped; escaped text breaks with the format's quoted continuation.
  void WriteText(std::string_view text, bool escaped);

  // For writers of formats that keep an outcome's original text (the one it
  // was read with): for each outcome that text when carried accepts it, the
  // reader makes the outcome's identifier from it again, and no earlier
  // outcome goes out with the same text; otherwise the identifier.
  // any_original tells whether an original text was chosen; the caller then
  // checks that the whole list reads back as the identifiers, as its reader
  // repairs lists.
  static std::vector<std::string> OriginalOutcomeTexts(const QDN_idArray& ids,
                                                       const QDN_extraDefinition* extra,
                                                       bool (*carried)(std::string_view),
                                                       bool& any_original);

protected:
  // Creates the lexer of one read and opens the file.
  int BeginRead(const char* fileName, QDN_lexerVariant variant);
  void EndRead() { lexer_.reset(); }
  int Peek(QDN_token& token);
  // Composes "ERROR: '<token>' : <what>" for the current token and reports it.
  int ReportUnknown(const char* what);
  // ReportUnknown for a token the reader goes on after.
  void LogUnknown(const char* what) { (void)ReportUnknown(what); }
  // Reads the identifiers that are next as the parents of node child, in
  // order; a parent that is not there or an arc that cannot be added is
  // reported and the rest are read on.
  void TakeParentIds(int child);
  // Checks node handle once its block is read: a node that is not ready
  // (valid) is deleted with a message naming id, and false.
  bool KeepReadyNode(int handle, std::string_view id);
  // Reads fileName with the lexer variant: read() when the file starts with
  // keyword (then a ";" after it is taken), a message when it does not.
  template <typename Read>
  int ReadFileStartingWith(const char* fileName, QDN_lexerVariant variant, const char* keyword,
                           Read read);

  // How a statement loop treats the ";" that ends each statement.
  enum class Semicolons {
    // Each statement ends with ";"; when it is missing, the text up to the
    // next ";" is skipped.
    kRequired,
    // As kRequired, and nothing is skipped without a message: a failed
    // statement that logged nothing is reported as skipped, a missing ";"
    // as expected.
    kRequiredReported,
    // A ";" after a statement is taken when there is one (entries that end
    // with their own "}" may leave it out).
    kOptional,
  };
  // Reads statements with statement() up to the "}" that ends the block or
  // the end of the input; the "}" is left. A statement that fails is
  // skipped up to its ";", so that one fault costs one statement. The ";"
  // are treated as semicolons_ says.
  template <typename Statement> void ReadStatements(Statement statement);
  // ReadStatements, then the block's "}" (without it, the input ended: the
  // rest is skipped). A block read this way does not fail as a whole: 0.
  template <typename Statement> int ReadBlock(Statement statement);
  // Skips the statement and the ";" that ends it.
  void SkipPastSemicolon();
  // Skips tokens up to the "}" that closes the block the reader is in, or
  // the "}" of the first block that opens, whichever comes first, and that "}".
  void SkipBlockRemainder();
  // Lists whose items are separated by blanks only: "(" items ")". The
  // strings (or numbers) are appended to out.
  [[nodiscard]] int ReadSpacedStringList(QDN_stringArray& out);
  [[nodiscard]] int ReadSpacedDoubleList(QDN_doubleArray& out);
  [[nodiscard]] int ReadSpacedIntList(QDN_intArray& out);
  // Appends the strings that are next, up to the first other token.
  [[nodiscard]] int TakeStrings(QDN_stringArray& out);
  // Appends the numbers that are next, up to the first other token: 0, or
  // the failure of a number that does not convert (as TakeNumber).
  [[nodiscard]] int TakeNumbers(QDN_doubleArray& out);
  // Entries logged so far in this process (dropped ones included), to tell
  // whether a step that failed said why.
  static size_t LoggedSoFar();
  // Reports a file that does not start with keyword, the word every file of
  // the format starts with: nothing of it is read.
  void ReportWrongStart(const char* keyword);
  // A node identifier made from text, for readers whose names need not be
  // identifiers: text repaired, then numbered from 0 until no node has it.
  std::string UniqueNodeId(const std::string& text) const;

  // One-state nodes. A node needs two outcomes, so a node the file gives a
  // single state gets a second one that the file's tables know nothing of.
  // Readers note the state count the file gave when they set outcomes, and
  // lay the file's tables out over the engine's: the added state gets
  // probability 0, and the rows of a child for its parent's added state
  // repeat the rows for the parent's state 0. Every number of the file keeps
  // its meaning.
  void NoteFileOutcomes(int handle, int count);
  // The number of outcomes the file gave node handle.
  int FileOutcomeCount(int handle) const;
  // The parent outcome counts (and the node's own last, when own) of node
  // handle's table as the engine has them and as the file has them; false
  // when they are the same.
  bool FileShape(int handle, bool own, std::vector<int>& engine, std::vector<int>& file) const;
  // When values hold exactly the cells of the table the file describes,
  // replaces them by the engine table's cells; false (values unchanged)
  // otherwise or when the shapes are the same.
  bool SpreadOverAddedStates(int handle, bool own, std::vector<double>& values) const;
  bool SpreadOverAddedStates(int handle, bool own, std::vector<std::string>& values) const;
  // Fills the cells of the added states in cells, a table in engine shape
  // whose file cells are in place (formats that give rows by coordinates).
  void FillAddedStates(int handle, bool own, double* cells, size_t count) const;

  // The first node of one of types, in the network's order; -1 when none.
  // For writers that refuse networks holding nodes their format cannot carry.
  int FirstNodeOfType(std::initializer_list<int> types) const;
  // The identifiers of the nodes handles ("UnknownParent" for a node without one).
  QDN_stringArray NodeIds(const QDN_intArray& handles);
  // The nested lists of a table's cells: one level of parentheses per
  // dimension before the last `last` ones, items separated by separator and
  // a new indented line; leaf(start, count) writes one innermost group of
  // count cells from index start.
  void WriteNestedTable(const QDN_Dmatrix& table, int last, std::string_view separator,
                        const std::function<void(int start, int count)>& leaf);

  // How the format writes statements, set by its constructor.
  struct StatementStyle {
    // Between a statement's name and its value.
    std::string_view assign = " = ";
    // Values wrapped at the line width, or each value on its line whole.
    bool wrap_values = true;
    // What ends a line broken inside escaped text, which the reader joins
    // again; without one, such text wraps as any other.
    std::string_view quoted_continuation;
    QDN_listSeparator lists = QDN_listSeparator::kComma;
  };
  StatementStyle style_;

  // After a statement of a statement loop returned status: the recovery
  // and the ";" (logged: the log's count before the statement).
  void EndStatement(int status, size_t logged);

  QDN_network* network_;
  QDN_textFile out_;
  std::unique_ptr<QDN_lexer> lexer_;
  // How the statement loops of this format treat the ";" after a statement.
  Semicolons semicolons_ = Semicolons::kRequired;
  // The sign between a keyword and its value in ReadAssignment.
  const char* assignment_ = "=";
  // Nodes the file gave one state (the node object, to notice a handle reused).
  std::unordered_map<int, const void*> single_state_;

private:
  // The failure of Expect, kept out of its way: token (peeked with status
  // peeked) is not the one expected, or there is none. Reports it: -127.
  int ReportUnexpected(int kind, const char* text, int peeked, const QDN_token& token);
  // The format's assignment text, wrapped when values are.
  void WriteAssign();
  // "(" count items ")" wrapped, separated as the format's lists are.
  void WriteListItems(int count, const std::function<std::string(int)>& item);
};

template <typename Statement> void QDN_textFormat::ReadStatements(Statement statement) {
  while (!IsBlockEnd()) {
    const size_t logged = LoggedSoFar();
    EndStatement(statement(), logged);
  }
}

template <typename Statement> int QDN_textFormat::ReadBlock(Statement statement) {
  ReadStatements(statement);
  if (ReadBlockEnd() != QDN_NO_ERROR) (void)SkipBlock();
  return QDN_NO_ERROR;
}

template <typename Read>
int QDN_textFormat::ReadFileStartingWith(const char* fileName, QDN_lexerVariant variant,
                                         const char* keyword, Read read) {
  CB_TRY(BeginRead(fileName, variant));
  int status = QDN_NO_ERROR;
  if (NextTextIs(keyword)) {
    status = read();
    if (status == QDN_NO_ERROR) TakePunctuator(';');
  } else {
    ReportWrongStart(keyword);
  }
  EndRead();
  return status;
}
