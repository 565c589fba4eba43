#include "core/QDN_errorLog.h"

#include <string>

#include "core/QDN_status.h"

int QDN_errorLog::Log(int code, const char* message, const char* prefix) {
  if (code == QDN_NO_ERROR) return QDN_NO_ERROR;
  std::string text;
  if (prefix) text = prefix;
  text += message ? message : ErrorName(code);
  if (text.size() > kMaxMessageLength) text.resize(kMaxMessageLength);
  try {
    entries_.push_back(Entry{code, std::move(text)});
    if (entries_.size() > kCapacity) {
      entries_.pop_front();
      ++dropped_;
    }
  } catch (...) {
    // The log reports nothing itself: an entry that cannot be stored is left out.
  }
  return code;
}

void QDN_errorLog::Clear() {
  entries_.clear();
  dropped_ = 0;
}

QDN_errorLog& QDN_GetErrorLog() {
  static QDN_errorLog log;
  return log;
}

int QDN_Log(int code, const char* message, const char* prefix) {
  return QDN_GetErrorLog().Log(code, message, prefix);
}

namespace {

std::string& LastErrorText() {
  static std::string text = "Everything working OK";
  return text;
}

// Builds the log and the last-error text while the library is loaded, before
// any exported function runs.
[[maybe_unused]] const bool kConstructedAtLoad = (QDN_GetErrorLog(), LastErrorText(), true);

} // namespace

const char* QDN_GetLastErrorText() { return LastErrorText().c_str(); }

void QDN_SetLastErrorText(std::string_view text) {
  LastErrorText().assign(text.substr(0, kMaxLastErrorLength));
}

void QDN_SetLastErrorQuoted(std::string_view text, std::string_view what) {
  // An overlong quoted text is cut so that the message keeps its ending.
  const size_t fixed = std::string_view("ERROR: (\"\") : ").size() + what.size();
  if (fixed < kMaxLastErrorLength && text.size() > kMaxLastErrorLength - fixed)
    text = text.substr(0, kMaxLastErrorLength - fixed);
  std::string message = "ERROR: (\"";
  message += text;
  message += "\") : ";
  message += what;
  QDN_SetLastErrorText(message);
}
