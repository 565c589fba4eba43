#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_status.h"

// Token kinds.
inline constexpr int QDN_TOKEN_IDENTIFIER = 1;
inline constexpr int QDN_TOKEN_INTEGER = 2;
inline constexpr int QDN_TOKEN_REAL = 3;
inline constexpr int QDN_TOKEN_SLASH = 4;
inline constexpr int QDN_TOKEN_EQUALS = 5;
inline constexpr int QDN_TOKEN_DOUBLE_EQUALS = 6;
inline constexpr int QDN_TOKEN_DOT = 7;
inline constexpr int QDN_TOKEN_PUNCTUATOR = 8;
inline constexpr int QDN_TOKEN_SIGN = 9;
inline constexpr int QDN_TOKEN_STRING = 70;
inline constexpr int QDN_TOKEN_NONE = 90;

// The token rules of the formats that share the lexer.
enum class QDN_lexerVariant {
  // Native text, Netica and KI: identifiers, numbers (a sign before digits
  // belongs to the number), punctuators, and "//", "/* */" and nested
  // "/# #/" comments.
  kStandard = 1,
  // Ergo: a word runs up to the next blank whatever it holds ("x1,y.z/w"),
  // but "/" and "*" stand alone, so that the section titles "/* Names */"
  // are tokens rather than a comment.
  kErgo = 2,
  // Hugin: as kStandard, and "%" starts a comment up to the line end.
  kHugin = 3,
  // MSBN: as kStandard, and "," and "|" separate like blanks.
  kMsbn = 4,
  // Equations: as kStandard, but a sign is always a token of its own (an
  // operator).
  kEquation = 5,
};

// Display name of a token kind in messages ("Identifier", ...), or null.
const char* TokenKindName(int kind);

// One token: its kind and text. For a string the text is the content between
// the quotes after escape processing. The text stays valid while the lexer
// keeps the token in its five-token history.
struct QDN_token {
  int kind = QDN_TOKEN_NONE;
  std::string_view text;
};

// Table-driven tokenizer of the text formats. It scans a text in memory, or
// a file read piece by piece into a window that holds the rest of the
// token being scanned and the next piece, with one of five transition
// tables. Lines end at LF, CR or CRLF alike, so files of any line ending read
// the same and a carriage return never reaches a token. Tokens and lines may
// be of any length. Peek (NextToken), Consume and StepBack work over a
// history of the last five tokens.
class QDN_lexer {
public:
  static constexpr int kHistory = 5;
  // The size of a piece of a file read into the window: small enough to
  // stay in the processor's caches, large enough that refills are rare.
  static constexpr size_t kFilePiece = 256 * 1024;

  // Status() is -2 for a value that names no variant.
  explicit QDN_lexer(QDN_lexerVariant variant);
  QDN_lexer(const QDN_lexer&) = delete;
  QDN_lexer& operator=(const QDN_lexer&) = delete;

  int Status() const { return status_; }
  // Opens the file and reads its first piece: 0, -102 for an empty file,
  // -103 (logged "OPEN FILE FAILED"). A later piece that cannot be read is
  // logged the same way and ends the input.
  int OpenFile(const char* fileName);
  // Scans text held in memory.
  int SetString(std::string_view text);

  // The next token without consuming it: 0, -111 at the end of the input,
  // -128 for an unterminated string or comment. Characters that no token may
  // hold are logged (-126) and skipped.
  int NextToken(QDN_token& out) {
    // A token already peeked is given again without a call: readers peek
    // the same token for each statement keyword they try.
    if (!peeked_ || status_ < 0) return ScanNextToken(out);
    const Entry& entry = Slot(index_);
    out.kind = entry.kind;
    out.text = TextOf(entry);
    return QDN_NO_ERROR;
  }
  void Consume() {
    if (!peeked_) return;
    if (index_ == count_ - 1) {
      pos_ = pending_pos_;
      line_ = pending_line_;
      peeked_ = false;
      return;
    }
    ++index_;
    peeked_ = index_ < count_;
  }
  // NextToken and Consume in one step for the readers of long lists: when
  // the next token is of kind a or kind b, it is consumed and given in out
  // (1); otherwise it is left peeked (0), or the status of NextToken.
  int Take(int a, int b, QDN_token& out) {
    return TakeIf([a, b](const QDN_token& t) { return t.kind == a || t.kind == b; }, out);
  }
  // The same for the Punctuator c.
  int TakePunctuator(char c) {
    QDN_token out;
    return TakeIf(
        [c](const QDN_token& t) {
          return t.kind == QDN_TOKEN_PUNCTUATOR && t.text.size() == 1 && t.text[0] == c;
        },
        out);
  }
  // -2 when there is no earlier token to step back to.
  int StepBack();
  // The current token of the history (kind 90 when none).
  QDN_token Current() const {
    if (index_ < 0) return QDN_token{};
    const Entry& entry = Slot(index_);
    return QDN_token{entry.kind, TextOf(entry)};
  }
  // Number of lines read so far (the line of the scan position, from 1).
  int GetLinesRead() const { return peeked_ ? pending_line_ : line_; }
  bool AtEnd();

private:
  template <typename Accept> int TakeIf(Accept accept, QDN_token& out);

  // A token: its text is in storage (owned) or in the window it was scanned
  // from, which is kept while the token is in the history.
  struct Entry {
    int kind = QDN_TOKEN_NONE;
    bool owned = false;
    const char* data = nullptr;
    size_t length = 0;
    std::string storage;
  };

  std::string_view TextOf(const Entry& entry) const {
    return entry.owned ? std::string_view(entry.storage)
                       : std::string_view(entry.data, entry.length);
  }
  // The history is a ring of kSlots slots (a power of two, so that no
  // division is needed) of which the last kHistory are in use: entry k (0
  // oldest) is at slot (first_ + k) % kSlots.
  static constexpr int kSlots = 8;
  static_assert(kSlots >= kHistory && (kSlots & (kSlots - 1)) == 0);
  Entry& Slot(int k) { return history_[static_cast<size_t>((first_ + k) & (kSlots - 1))]; }
  const Entry& Slot(int k) const {
    return history_[static_cast<size_t>((first_ + k) & (kSlots - 1))];
  }
  // NextToken when no token is peeked yet.
  int ScanNextToken(QDN_token& out);
  // Scans one token from pos_ into a new history entry, reading on in the
  // file where the window ends before the token does.
  int Scan();
  // Scan within the window: kNeedMore when the window ended where the file
  // may go on (pos_ is then where the scan must start again).
  int ScanWindow();
  static constexpr int kNeedMore = 1;
  // The window's rest from pos_ and the file's next piece become the
  // window; at the end of the file (or a failed read) more_ turns false.
  void Refill();
  // Appends up to count bytes of the file to window (more when it would end
  // with a CR); at the end of the file more_ turns false. 0, or -103 for a
  // failed read (logged "OPEN FILE FAILED"; the input ends there).
  int ReadPiece(std::string& window, size_t count);
  // Advances over one line end at i (LF, CR or CRLF), counting the line.
  size_t SkipLineEnd(size_t i);
  int ScanString(size_t i);
  int SkipLineComment(size_t i);
  int SkipBlockComment(size_t i);
  int SkipNestedComment(size_t i);
  // Takes the slot of the oldest entry when the history is full; the caller
  // fills it. Its string storage keeps its capacity for later strings.
  Entry& Push();

  int status_ = 0;
  bool file_mode_ = false;
  std::array<std::array<uint8_t, 17>, 16> table_{};
  // stay_[state][c]: the character c keeps a token in state (runs of digits
  // and letters are scanned without the table).
  std::array<std::array<bool, 256>, 16> stay_{};
  // single_[c]: the kind of the token c makes by itself (punctuation that
  // no character can follow in a token), else 0.
  std::array<uint8_t, 256> single_{};
  // The window (a text in memory is one window). It never ends with a
  // carriage return while more_, so a CRLF is never split between windows.
  std::string text_;
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  bool more_ = false; // the file goes on past the window
  // Earlier windows that tokens of the history may point into, each with
  // the number of tokens pushed when it was left; then one kept for reuse.
  std::vector<std::pair<long long, std::string>> retired_;
  std::string spare_;
  long long pushes_ = 0;
  size_t pos_ = 0;         // committed scan position
  size_t pending_pos_ = 0; // position after the peeked token
  int line_ = 0;
  int pending_line_ = 0;
  std::array<Entry, kSlots> history_;
  std::string scratch_; // a string token being scanned
  int first_ = 0;
  int count_ = 0;
  int index_ = -1;
  bool peeked_ = false;
};

template <typename Accept> int QDN_lexer::TakeIf(Accept accept, QDN_token& out) {
  if (peeked_ || index_ < count_ - 1 || status_ < 0) {
    // A token is already peeked, or the history is stepped back: the general way.
    const int status = NextToken(out);
    if (status < 0) return status;
    if (!accept(out)) return 0;
    Consume();
    return 1;
  }
  const int status = Scan();
  if (status < 0) {
    pos_ = pending_pos_;
    line_ = pending_line_;
    return status;
  }
  const Entry& entry = Slot(index_);
  out.kind = entry.kind;
  out.text = TextOf(entry);
  if (!accept(out)) {
    peeked_ = true;
    return 0;
  }
  pos_ = pending_pos_;
  line_ = pending_line_;
  return 1;
}
