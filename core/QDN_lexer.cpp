#include "core/QDN_lexer.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"

namespace {

enum Action : uint8_t {
  kSkip = 0,
  kString = 70,
  kLineComment = 75,
  kBlockComment = 80,
  kNestedComment = 85,
  kUnknown = 90,
  kEnd = 95,
};

// Character classes, tested in order: e/E, other letters, ", #, %, *, + -, ",",
// ".", "/", digits, "=", "_", "|", other punctuation, separators, the rest.
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c)
    classes[c] = 12;
  for (int c = 'a'; c <= 'z'; ++c)
    classes[c] = 0;
  for (int c = 'A'; c <= 'Z'; ++c)
    classes[c] = 0;
  for (int c = '0'; c <= '9'; ++c)
    classes[c] = 1;
  for (char c : std::string_view("!@$^&()[]{};:'<>?`~\\"))
    classes[static_cast<uint8_t>(c)] = 10;
  classes['e'] = classes['E'] = 16;
  classes['"'] = 9;
  classes['#'] = 6;
  classes['%'] = 13;
  classes['*'] = 5;
  classes['+'] = classes['-'] = 8;
  classes[','] = 14;
  classes['.'] = 7;
  classes['/'] = 3;
  classes['='] = 4;
  classes['_'] = 2;
  classes['|'] = 15;
  // Line ends of every convention are separators, like blank, tab and NUL.
  classes[' '] = classes['\t'] = classes['\n'] = classes['\r'] = classes[0] = 11;
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

constexpr uint8_t E = kEnd;
// Transitions: [state][character class] -> the next state (1 to 15) or an
// action. The other variants are small changes of these two tables.
constexpr std::array<std::array<uint8_t, 17>, 16> kStandardTable = {{
    {1, 2, 8, 4, 5, 8, 8, 7, 9, 70, 8, 0, 90, 8, 8, 8, 1},
    {1, 1, 1, E, E, E, E, E, E, E, E, E, 90, E, E, E, 1},
    {E, 2, E, E, E, E, E, 7, E, E, E, E, E, E, E, E, 10},
    {E, 3, E, E, E, E, E, E, E, E, E, E, E, E, E, E, 11},
    {E, E, E, 75, E, 80, 85, E, E, E, E, E, E, E, E, E, E},
    {E, E, E, E, 6, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, E, E, E, 90, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 3, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 2, E, E, E, E, E, 3, E, E, E, E, E, E, E, E, E},
    {E, 14, E, E, E, E, E, E, 12, E, E, E, E, E, E, E, E},
    {E, 15, E, E, E, E, E, E, 13, E, E, E, E, E, E, E, E},
    {E, 14, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 15, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 14, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 15, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
}};

constexpr std::array<std::array<uint8_t, 17>, 16> kErgoTable = {{
    {1, 2, 1, 8, 1, 8, 1, 1, 9, 1, 1, 0, 90, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, E, 90, 1, 1, 1, 1},
    {1, 2, 1, 1, 1, 1, 1, 7, 1, 1, 1, E, E, 1, 1, 1, 10},
    {1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, E, E, 1, 1, 1, 11},
    {1, 1, 1, E, 1, E, 1, 1, 1, 1, 1, E, E, 1, 1, 1, E},
    {E, E, E, E, 6, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, E, E, E, 90, E, E, E, E, E, E, E, E, E, E, E, E},
    {1, 3, 1, E, 1, E, 1, 1, 1, 1, 1, E, E, 1, 1, 1, E},
    {1, 1, 1, E, 1, E, 1, 1, 1, 1, 1, E, E, 1, 1, 1, E},
    {1, 2, 1, E, 1, E, 1, 3, 1, 1, 1, E, E, 1, 1, 1, E},
    {E, 14, E, E, E, E, E, E, 12, E, E, E, E, E, E, E, E},
    {E, 15, E, E, E, E, E, E, 13, E, E, E, E, E, E, E, E},
    {E, 14, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 15, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 10, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
    {E, 11, E, E, E, E, E, E, E, E, E, E, E, E, E, E, E},
}};

int KindOfState(int state) {
  if (state == 10 || state == 12 || state == 14) return QDN_TOKEN_INTEGER;
  if (state == 11 || state == 13 || state == 15) return QDN_TOKEN_REAL;
  return state;
}

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

} // namespace

const char* TokenKindName(int kind) {
  switch (kind) {
  case QDN_TOKEN_IDENTIFIER:
    return "Identifier";
  case QDN_TOKEN_INTEGER:
    return "Integer";
  case QDN_TOKEN_REAL:
    return "Real Number";
  case QDN_TOKEN_PUNCTUATOR:
    return "Punctuator";
  case QDN_TOKEN_STRING:
    return "String";
  default:
    return nullptr;
  }
}

QDN_lexer::QDN_lexer(QDN_lexerVariant variant) {
  using V = QDN_lexerVariant;
  switch (variant) {
  case V::kStandard:
  case V::kHugin:
  case V::kMsbn:
  case V::kEquation:
    table_ = kStandardTable;
    break;
  case V::kErgo:
    table_ = kErgoTable;
    break;
  default:
    status_ = QDN_OUT_OF_RANGE;
    return;
  }
  if (variant == V::kHugin) table_[0][13] = kLineComment;
  if (variant == V::kHugin || variant == V::kMsbn) {
    table_[14][1] = 10;
    table_[15][1] = 11;
  }
  if (variant == V::kMsbn) table_[0][14] = table_[0][15] = kSkip;
  if (variant == V::kEquation) table_[0][8] = 8;
  for (size_t state = 1; state < table_.size(); ++state)
    for (size_t c = 0; c < 256; ++c)
      stay_[state][c] = table_[state][kClasses[c]] == state;
  // A character whose state ends the token at any next character is a token
  // by itself.
  for (size_t c = 0; c < 256; ++c) {
    const uint8_t state = table_[0][kClasses[c]];
    if (state < 1 || state > 15) continue;
    bool ends = true;
    for (const uint8_t entry : table_[state])
      ends = ends && entry == kEnd;
    if (ends) single_[c] = static_cast<uint8_t>(KindOfState(state));
  }
}

int QDN_lexer::ReadPiece(std::string& window, size_t count) {
  const size_t old_size = window.size();
  window.resize(old_size + count);
  const size_t got = std::fread(window.data() + old_size, 1, count, file_.get());
  window.resize(old_size + got);
  bool ended = got < count;
  // A CRLF is kept whole: a window the file goes on after never ends with a CR.
  while (!ended && !window.empty() && window.back() == '\r') {
    const int c = std::fgetc(file_.get());
    if (c == EOF) {
      ended = true;
    } else {
      window.push_back(static_cast<char>(c));
    }
  }
  if (!ended) return QDN_NO_ERROR;
  const bool failed = std::ferror(file_.get()) != 0;
  file_.reset();
  more_ = false;
  return failed ? QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED") : QDN_NO_ERROR;
}

void QDN_lexer::Refill() {
  // Windows left are kept while a token of the history may point into them.
  while (!retired_.empty() && retired_.front().first + kHistory <= pushes_) {
    spare_ = std::move(retired_.front().second);
    retired_.erase(retired_.begin());
  }
  const size_t keep = text_.size() - pos_;
  std::string window = std::move(spare_);
  spare_ = std::string();
  window.assign(text_, pos_, keep);
  // At least doubled, so that a token of any length costs linear time. A
  // failure is logged and ends the input.
  (void)ReadPiece(window, std::max(kFilePiece, keep));
  retired_.emplace_back(pushes_, std::move(text_));
  text_ = std::move(window);
  pos_ = 0;
}

int QDN_lexer::OpenFile(const char* fileName) {
  text_.clear();
  retired_.clear();
  more_ = false;
  file_.reset(fileName ? std::fopen(fileName, "rb") : nullptr);
  if (!file_) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  more_ = true;
  if (const int status = ReadPiece(text_, kFilePiece); status < 0) return status;
  file_mode_ = true;
  pos_ = pending_pos_ = 0;
  line_ = pending_line_ = 1;
  first_ = count_ = 0;
  index_ = -1;
  peeked_ = false;
  return text_.empty() ? QDN_END_OF_INPUT : QDN_NO_ERROR;
}

int QDN_lexer::SetString(std::string_view text) {
  file_.reset();
  more_ = false;
  retired_.clear();
  text_.assign(text);
  file_mode_ = false;
  pos_ = pending_pos_ = 0;
  line_ = pending_line_ = 1;
  first_ = count_ = 0;
  index_ = -1;
  peeked_ = false;
  return QDN_NO_ERROR;
}

size_t QDN_lexer::SkipLineEnd(size_t i) {
  if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
  ++pending_line_;
  return i + 1;
}

QDN_lexer::Entry& QDN_lexer::Push() {
  ++pushes_;
  if (count_ < kHistory) {
    ++count_;
  } else {
    first_ = (first_ + 1) & (kSlots - 1);
  }
  index_ = count_ - 1;
  return Slot(index_);
}

int QDN_lexer::SkipLineComment(size_t i) {
  while (i < text_.size() && !IsLineEnd(text_[i]))
    ++i;
  if (i >= text_.size()) {
    if (more_) return kNeedMore;
    pending_pos_ = i;
    return QDN_NO_MORE_TOKENS;
  }
  pending_pos_ = SkipLineEnd(i);
  return QDN_NO_ERROR;
}

int QDN_lexer::SkipBlockComment(size_t i) {
  for (; i + 1 < text_.size(); ++i) {
    if (text_[i] == '*' && text_[i + 1] == '/') {
      pending_pos_ = i + 2;
      return QDN_NO_ERROR;
    }
    if (IsLineEnd(text_[i])) i = SkipLineEnd(i) - 1;
  }
  if (more_) return kNeedMore;
  pending_pos_ = text_.size();
  if (!file_mode_) return QDN_NO_MORE_TOKENS;
  return QDN_Log(QDN_UNEXPECTED_END_OF_FILE, "ERROR: UNEXPECTED END OF FILE. UNMATCHED '/*'");
}

int QDN_lexer::SkipNestedComment(size_t i) {
  int depth = 1;
  while (i + 1 < text_.size()) {
    if (text_[i] == '#' && text_[i + 1] == '/') {
      i += 2;
      if (--depth == 0) {
        pending_pos_ = i;
        return QDN_NO_ERROR;
      }
    } else if (text_[i] == '/' && text_[i + 1] == '#') {
      i += 2;
      ++depth;
    } else if (IsLineEnd(text_[i])) {
      i = SkipLineEnd(i);
    } else {
      ++i;
    }
  }
  if (more_) return kNeedMore;
  pending_pos_ = text_.size();
  if (!file_mode_) return QDN_NO_MORE_TOKENS;
  return QDN_Log(QDN_UNEXPECTED_END_OF_FILE, "ERROR: UNEXPECTED END OF FILE. UNMATCHED '/#'");
}

int QDN_lexer::ScanString(size_t i) {
  const size_t n = text_.size();
  // A string without escapes or line ends is its text in the input.
  for (size_t end = i; end < n; ++end) {
    const char c = text_[end];
    if (c == '"') {
      pending_pos_ = end + 1;
      Entry& entry = Push();
      entry.kind = QDN_TOKEN_STRING;
      entry.owned = false;
      entry.data = text_.data() + i;
      entry.length = end - i;
      return QDN_NO_ERROR;
    }
    if (c == '\\' || IsLineEnd(c)) break;
  }
  // Scanned into scratch storage, so that a failure leaves the history as it was.
  std::string& out = scratch_;
  out.clear();
  auto unterminated = [&] {
    // The string may go on in the file's next piece.
    if (more_) return kNeedMore;
    pending_pos_ = n;
    return QDN_Log(QDN_UNEXPECTED_END_OF_FILE,
                   "ERROR: UNEXPECTED END OF FILE. UNTERMINATED STRING");
  };
  while (i < n) {
    const char c = text_[i];
    if (c == '"') {
      pending_pos_ = i + 1;
      Entry& entry = Push();
      entry.kind = QDN_TOKEN_STRING;
      entry.owned = true;
      entry.storage.swap(out);
      return QDN_NO_ERROR;
    }
    if (IsLineEnd(c)) {
      i = SkipLineEnd(i);
      continue;
    }
    if (c != '\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= n) return unterminated();
    const char next = text_[i + 1];
    switch (next) {
    case '"':
    case '\\':
      out += next;
      i += 2;
      continue;
    case 'b':
      out += '\b';
      i += 2;
      continue;
    case 'n':
      out += '\n';
      i += 2;
      continue;
    case 'r':
      out += '\r';
      i += 2;
      continue;
    case 't':
      out += '\t';
      i += 2;
      continue;
    case '|':
      i += 2;
      continue;
    case '\n':
    case '\r':
    case ' ':
    case '\t':
    case '\b': {
      // A continuation: the break and the blanks around it, up to the first
      // other character of the next line, are dropped; "\|" ends it early.
      i += 1;
      while (i < n) {
        if (text_[i] == ' ' || text_[i] == '\t' || text_[i] == '\b') {
          ++i;
        } else if (IsLineEnd(text_[i])) {
          i = SkipLineEnd(i);
        } else if (text_[i] == '\\' && i + 1 < n && text_[i + 1] == '|') {
          i += 2;
          break;
        } else {
          break;
        }
      }
      continue;
    }
    default:
      out += '\\';
      out += next;
      i += 2;
      continue;
    }
  }
  return unterminated();
}

int QDN_lexer::Scan() {
  for (;;) {
    const int status = ScanWindow();
    if (status != kNeedMore) return status;
    Refill();
  }
}

int QDN_lexer::ScanWindow() {
  // The window ends with a NUL (std::string), a separator that ends any
  // token, so the scan needs no bound check but where a separator or a
  // skipped character is met. Where the window ends and the file goes on,
  // the scan starts again from pos_ in a larger window: what was skipped
  // before it (blanks, comments, unknown characters already reported) is
  // committed to pos_ and line_ first, so that nothing is reported twice.
  const char* const s = text_.c_str();
  const size_t n = text_.size();
  size_t i = pos_;
  pending_line_ = line_;
  for (;;) {
    // Separators. Files are indented with runs of blanks: eight characters
    // are tested at once where eight are left.
    for (;;) {
      const char c = s[i];
      if (c == ' ') {
        ++i;
        if (i + 8 <= n) {
          uint64_t word;
          std::memcpy(&word, s + i, sizeof word);
          // The bytes that are not blanks are the nonzero ones of the difference.
          const uint64_t other = word ^ 0x2020202020202020ULL;
          i += other ? static_cast<size_t>(std::countr_zero(other)) / 8 : 8;
        }
        continue;
      }
      if (kClasses[static_cast<uint8_t>(c)] != 11) break;
      if (c == '\n') {
        ++pending_line_;
      } else if (c == '\r') {
        if (s[i + 1] == '\n') ++i;
        ++pending_line_;
      } else if (c == 0 && i >= n) {
        if (more_) {
          pos_ = i;
          line_ = pending_line_;
          return kNeedMore;
        }
        pending_pos_ = n;
        return QDN_NO_MORE_TOKENS;
      }
      ++i;
    }
    if (const uint8_t kind = single_[static_cast<uint8_t>(s[i])]) {
      Entry& token = Push();
      token.kind = kind;
      token.owned = false;
      token.data = s + i;
      token.length = 1;
      pending_pos_ = i + 1;
      return QDN_NO_ERROR;
    }
    size_t start = i;
    int state = 0;
    uint8_t entry;
    for (;;) {
      entry = table_[static_cast<size_t>(state)][kClasses[static_cast<uint8_t>(s[i])]];
      if (entry - 1u < 15u) {
        state = entry;
        ++i;
        const std::array<bool, 256>& stay = stay_[static_cast<size_t>(state)];
        while (stay[static_cast<uint8_t>(s[i])])
          ++i;
        continue;
      }
      if (entry != kSkip) break;
      if (i >= n) {
        if (more_) {
          pos_ = i;
          line_ = pending_line_;
          return kNeedMore;
        }
        pending_pos_ = n;
        return QDN_NO_MORE_TOKENS;
      }
      i = IsLineEnd(s[i]) ? SkipLineEnd(i) : i + 1;
      start = i;
    }
    if (entry == kEnd) {
      if (i >= n && more_) {
        // The token may go on in the file.
        pos_ = start;
        line_ = pending_line_;
        return kNeedMore;
      }
      Entry& token = Push();
      token.kind = KindOfState(state);
      token.owned = false;
      token.data = s + start;
      token.length = i - start;
      pending_pos_ = i;
      return QDN_NO_ERROR;
    }
    if (more_) {
      // A string or comment that does not end in the window is read again
      // from its start.
      pos_ = start;
      line_ = pending_line_;
    }
    if (entry == kString) return ScanString(i + 1);
    if (entry == kLineComment || entry == kBlockComment || entry == kNestedComment) {
      const int status = entry == kLineComment    ? SkipLineComment(i)
                         : entry == kBlockComment ? SkipBlockComment(i)
                                                  : SkipNestedComment(i);
      if (status != QDN_NO_ERROR) return status;
      i = pending_pos_;
      continue;
    }
    // An unknown character: reported, then skipped. A token already begun
    // ends before it.
    char message[64];
    std::snprintf(message, sizeof message, "ERROR: Line %d : UNKNOWN CHARACTER", pending_line_);
    QDN_Log(QDN_LEXICAL_ERROR, message);
    if (state != 0 && i > start) {
      Entry& token = Push();
      token.kind = KindOfState(state);
      token.owned = false;
      token.data = s + start;
      token.length = i - start;
      pending_pos_ = i + 1;
      return QDN_NO_ERROR;
    }
    ++i;
    if (more_) {
      pos_ = i;
      line_ = pending_line_;
    }
  }
}

int QDN_lexer::ScanNextToken(QDN_token& out) {
  if (status_ < 0) return status_;
  if (!peeked_ && index_ >= 0 && index_ < count_ - 1) peeked_ = true;
  if (!peeked_) {
    const int status = Scan();
    if (status < 0) {
      // Nothing can follow: the end stays the end.
      pos_ = pending_pos_;
      line_ = pending_line_;
      return status;
    }
    peeked_ = true;
  }
  const Entry& entry = Slot(index_);
  out.kind = entry.kind;
  out.text = TextOf(entry);
  return QDN_NO_ERROR;
}

int QDN_lexer::StepBack() {
  if (index_ < 1) return QDN_OUT_OF_RANGE;
  --index_;
  peeked_ = false;
  return QDN_NO_ERROR;
}

bool QDN_lexer::AtEnd() {
  QDN_token token;
  return NextToken(token) < 0;
}
