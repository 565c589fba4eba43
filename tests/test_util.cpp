#include "test_util.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/QDN_errorLog.h"
#include "xml/QDN_registerFormats.h"

namespace {

// Every test reads and writes through the format table; tests that need a
// format missing remove it themselves.
[[maybe_unused]] const bool formats_registered = [] {
  QDN_RegisterFormats();
  return true;
}();

} // namespace

std::string TempPath(std::string_view name) {
  static const std::filesystem::path dir = [] {
    auto path =
        std::filesystem::temp_directory_path() / ("callbrima-tests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return (dir / std::string(name)).string();
}

std::string WriteTempFile(std::string_view name, std::string_view bytes) {
  const std::string path = TempPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void ClearLog() { QDN_GetErrorLog().Clear(); }

size_t LoggedCount() { return QDN_GetErrorLog().GetCount(); }

bool LogContains(std::string_view text) {
  const QDN_errorLog& log = QDN_GetErrorLog();
  for (size_t i = 0; i < log.GetCount(); ++i)
    if (log.GetEntry(i).message.find(text) != std::string::npos) return true;
  return false;
}
