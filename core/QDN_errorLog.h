#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "core/QDN_object.h"

// The one process-wide log of failures: (status code, message) pairs in the
// order they were logged. Constructed when the library is loaded.
//
// A long-running host would otherwise let it grow without bound, so it keeps
// the newest kCapacity entries and counts the older ones it has dropped.
class QDN_errorLog : public QDN_object {
public:
  // Entries kept; older ones are dropped first.
  static constexpr size_t kCapacity = 10000;
  // A message (prefix included) is cut to this many bytes.
  static constexpr size_t kMaxMessageLength = 2039;

  struct Entry {
    int code;
    std::string message;
  };

  // Records prefix + message (message null: the code's name) with code and
  // returns code. Code 0 records nothing.
  int Log(int code, const char* message, const char* prefix);

  size_t GetCount() const { return entries_.size(); }
  const Entry& GetEntry(size_t i) const { return entries_[i]; }
  // Entries dropped because the log was full.
  size_t GetDropped() const { return dropped_; }
  void Clear();

private:
  std::deque<Entry> entries_;
  size_t dropped_ = 0;
};

// The process-wide log.
QDN_errorLog& QDN_GetErrorLog();

// Shorthand for QDN_GetErrorLog().Log(code, message, prefix).
int QDN_Log(int code, const char* message, const char* prefix = nullptr);

// Last-error text: identifier checks leave their message here instead of
// logging it; readers pass it on in their own reports. Cut to
// kMaxLastErrorLength bytes.
inline constexpr size_t kMaxLastErrorLength = 1023;
const char* QDN_GetLastErrorText();
void QDN_SetLastErrorText(std::string_view text);
// Formats "ERROR: (\"<text>\") : <what>" into the last-error text.
void QDN_SetLastErrorQuoted(std::string_view text, std::string_view what);
