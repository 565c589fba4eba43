#include "formats/text/QDN_textFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "formats/text/save_target.h"

QDN_textFile::~QDN_textFile() { Abandon(); }

void QDN_textFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) std::remove(temporary_.c_str());
  temporary_.clear();
  status_ = QDN_FILE_IO_FAILED;
}

int QDN_textFile::OpenForWrite(const char* fileName) {
  Abandon();
  SaveTarget target;
  if (!PrepareSaveTarget(fileName, target)) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  target_ = target.path;
  const int fd = CreateSaveTemporary(target, temporary_);
  if (fd >= 0) {
    file_ = ::fdopen(fd, "wb");
    if (!file_) ::close(fd);
  }
  if (!file_) {
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
    return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  }
  status_ = QDN_NO_ERROR;
  column_ = 0;
  line_.clear();
  return QDN_NO_ERROR;
}

int QDN_textFile::Close() {
  if (!file_) return QDN_FILE_IO_FAILED;
  Flush();
  bool written = std::fflush(file_) == 0;
  written = ::fsync(fileno(file_)) == 0 && written;
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  if (!written) Fail(QDN_FILE_IO_FAILED);
  if (status_ == QDN_NO_ERROR && std::rename(temporary_.c_str(), target_.c_str()) != 0)
    Fail(QDN_FILE_IO_FAILED);
  const int status = status_;
  if (status != QDN_NO_ERROR) std::remove(temporary_.c_str());
  temporary_.clear();
  status_ = QDN_FILE_IO_FAILED; // closed
  return status;
}

void QDN_textFile::Fail(int status) {
  if (status_ == QDN_NO_ERROR) status_ = status;
}

void QDN_textFile::Check(int status) {
  if (status < 0) Fail(status);
}

void QDN_textFile::Emit(std::string_view text) {
  line_.append(text);
  // Output goes out in large pieces.
  if (line_.size() >= (1 << 16)) Flush();
}

void QDN_textFile::Flush() {
  if (!file_) {
    Fail(QDN_FILE_IO_FAILED);
  } else if (!line_.empty() && std::fwrite(line_.data(), 1, line_.size(), file_) != line_.size()) {
    Fail(QDN_FILE_IO_FAILED);
  }
  line_.clear();
}

void QDN_textFile::SetContinuation(std::string_view text) { continuation_.assign(text); }

void QDN_textFile::SetLineWidth(int n) {
  if (n < 0 || n < indent_width_ + 1) return;
  width_ = n > kMaxLineWidth ? kMaxLineWidth : n;
}

void QDN_textFile::SetIndentWidth(int n) {
  if (n < 0 || n > width_ - 1) return;
  indent_width_ = n;
}

void QDN_textFile::IndentMore() {
  if (level_ * indent_width_ < kMaxLineWidth) ++level_;
}

void QDN_textFile::IndentLess() {
  if (level_ > 0) --level_;
}

void QDN_textFile::WriteIndent() {
  const int blanks = level_ * indent_width_;
  column_ += blanks;
  Emit(std::string(static_cast<size_t>(blanks), ' '));
}

void QDN_textFile::WriteRaw(std::string_view text, QDN_lineStart start) {
  if (start == QDN_lineStart::kColumnZero) {
    // Without indentation after line feeds the text goes out whole; only the
    // column needs following.
    Emit(text);
    const size_t last = text.rfind('\n');
    column_ = last == std::string_view::npos ? column_ + static_cast<int>(text.size())
                                             : static_cast<int>(text.size() - last - 1);
    return;
  }
  for (char c : text) {
    const char one[1] = {c};
    Emit(std::string_view(one, 1));
    if (c == '\n') {
      column_ = 0;
      WriteIndent();
    } else {
      ++column_;
    }
  }
}

void QDN_textFile::WriteWrapped(std::string_view text, QDN_lineStart start) {
  // Lines break only at blanks: a word (an identifier, a number) is never
  // split, and a line holding a word longer than the width runs on. With a
  // continuation text the output is quoted text that the reader joins again,
  // dropping every blank after the break: such text is broken only at a
  // blank followed by a non-blank, so the reader gets exactly the text back.
  const bool quoted = !continuation_.empty();
  auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\b'; };
  std::string piece; // this call's text on the current line
  size_t piece_start = 0;
  size_t last_keep = 0; // length of the piece up to its last usable blank
  auto can_break_before = [&](char next) {
    return !piece.empty() && (piece.back() == ' ' || piece.back() == '\t') &&
           !(quoted && is_blank(next));
  };
  const size_t n = text.size();
  size_t i = 0;
  auto end_line = [&](std::string_view kept) {
    Emit(kept);
    Emit(continuation_);
    Emit("\n");
    column_ = 0;
    if (start == QDN_lineStart::kIndented) WriteIndent();
  };
  while (i < n) {
    const char c = text[i];
    if (c == '\n') {
      // An explicit line end: the next statement writes its own indentation.
      piece += '\n';
      Emit(piece);
      piece.clear();
      column_ = 0;
      piece_start = ++i;
      last_keep = 0;
      continue;
    }
    if (can_break_before(c)) last_keep = piece.size();
    if (column_ <= width_) {
      piece += c;
      ++column_;
      ++i;
      continue;
    }
    // The line is full: break after the last usable blank of this call's piece.
    const size_t keep = last_keep;
    const int before_piece = column_ - static_cast<int>(piece.size());
    if (keep > 0) {
      i = piece_start + keep;
      end_line(std::string_view(piece).substr(0, keep));
    } else if (before_piece > level_ * indent_width_ && !piece.empty() &&
               !(quoted && is_blank(piece.front()))) {
      // Earlier text fills the line: the whole piece starts a new line.
      i = piece_start;
      end_line({});
    } else {
      // A word with no safe break (an identifier, a number, quoted text
      // without a usable blank) is never split: the line runs on.
      piece += c;
      ++column_;
      ++i;
      continue;
    }
    piece.clear();
    piece_start = i;
    last_keep = 0;
  }
  Emit(piece);
}

void QDN_textFile::WriteLine(std::string_view text, QDN_lineStart start) {
  WriteIndent();
  WriteWrapped(text, start);
}
