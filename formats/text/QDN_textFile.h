#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Where a line starts after a line feed the text holds or a break the
// wrapping makes: at column 0, or indented to the current level.
enum class QDN_lineStart { kColumnZero, kIndented };

// The text file a format writes (readers take the whole file with QDN_ReadFile).
// Writing goes to a temporary file beside the target, which replaces the
// target only when every write, the flush and the close succeeded, so a
// failed save leaves the old file as it was (and no new file behind). A
// target the real user may not write is refused; a save through a symbolic
// link replaces the file the link names; the replaced file's mode (and,
// where the process may, its owner) carries over. Output is indented and wrapped
// at the line width, with an optional continuation text at every break.
//
// The write operations return nothing: the first failure (a write the
// device refused, a write with no file open, a failed step a writer reports
// with Check) is remembered, later writes change nothing of it, and Close
// returns it. A writer therefore checks once, when it closes the file.
class QDN_textFile {
public:
  static constexpr int kMaxLineWidth = 1019;

  QDN_textFile() = default;
  QDN_textFile(const QDN_textFile&) = delete;
  QDN_textFile& operator=(const QDN_textFile&) = delete;
  // An unfinished write is abandoned: the temporary file is removed.
  ~QDN_textFile();

  // Starts writing fileName: -103 with "OPEN FILE FAILED" logged on failure.
  [[nodiscard]] int OpenForWrite(const char* fileName);
  // Finishes the write: flush, close and rename over the target. 0, or the
  // first failure remembered (-103 for any failed write, flush, close or
  // rename, and when no file is open); the target is then unchanged.
  [[nodiscard]] int Close();
  // 0 while every write of the open file succeeded; otherwise the first
  // failure (-103 when no file is open).
  [[nodiscard]] int GetStatus() const { return status_; }
  bool Failed() const { return status_ != 0; }
  // Makes the write fail with status (a negative status; others are
  // ignored) unless it failed already: for a step whose failure would make
  // the output wrong. Close then abandons the file and returns status.
  void Check(int status);

  // Widths outside the range (a line width not wider than the indentation,
  // an indentation not narrower than the line) leave the width as it was.
  // Line widths above kMaxLineWidth are taken as kMaxLineWidth.
  void SetLineWidth(int n);
  void SetIndentWidth(int n);
  // The indentation grows by one level unless it reached the widest line;
  // it shrinks by one level down to level 0.
  void IndentMore();
  void IndentLess();
  int GetIndentLevel() const { return level_; }
  void SetContinuation(std::string_view text);
  int GetColumn() const { return column_; }
  int GetLineWidth() const { return width_; }

  void WriteIndent();
  // The text as it is, followed by the indentation after every line feed
  // when start is kIndented.
  void WriteRaw(std::string_view text, QDN_lineStart start = QDN_lineStart::kColumnZero);
  // The text broken at blanks where it would pass the line width; a line
  // feed of the text ends its line with no indentation after it.
  void WriteWrapped(std::string_view text, QDN_lineStart start = QDN_lineStart::kIndented);
  // The indentation, then the text wrapped.
  void WriteLine(std::string_view text, QDN_lineStart start = QDN_lineStart::kIndented);

private:
  void Emit(std::string_view text);
  void Flush();
  void Abandon();
  void Fail(int status);

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
  int status_ = -103;
  int width_ = 70;
  int column_ = 0;
  int level_ = 0;
  int indent_width_ = 1;
  std::string line_;
  std::string continuation_;
};
