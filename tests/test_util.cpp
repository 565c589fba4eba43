#include "test_util.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/QDN_errorLog.h"

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
