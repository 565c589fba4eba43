#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The text file a format writes (readers take the whole file with QDN_ReadFile).
// Writing goes to a temporary file beside the target, which replaces the
// target only when every write, the flush and the close succeeded, so a
// failed save leaves the old file as it was (and no new file behind). A
// target the real user may not write is refused; a save through a symbolic
// link replaces the file the link names; the replaced file's mode (and,
// where the process may, its owner) carries over. Output is indented and wrapped
// at the line width, with an optional continuation text at every break.
class QDN_textFile {
public:
  static constexpr int kMaxLineWidth = 1019;

  QDN_textFile() = default;
  QDN_textFile(const QDN_textFile&) = delete;
  QDN_textFile& operator=(const QDN_textFile&) = delete;
  // An unfinished write is abandoned: the temporary file is removed.
  ~QDN_textFile();

  // Starts writing fileName: -103 with "OPEN FILE FAILED" logged on failure.
  int OpenForWrite(const char* fileName);
  // Finishes the write: flush, close and rename over the target. -103 when
  // any write failed or this step fails; the target is then unchanged.
  int Close();
  int GetStatus() const { return status_; }

  int SetLineWidth(int n);
  int SetIndentWidth(int n);
  int IndentMore();
  int IndentLess();
  int GetIndentLevel() const { return level_; }
  void SetContinuation(std::string_view text);
  int GetColumn() const { return column_; }
  int GetLineWidth() const { return width_; }

  int WriteIndent();
  // mode 2: the indentation follows every line feed.
  int WriteRaw(std::string_view text, int mode);
  int WriteWrapped(std::string_view text, int mode);
  int WriteLine(std::string_view text, int mode);

private:
  int Emit(std::string_view text);
  void Flush();
  void Abandon();

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
