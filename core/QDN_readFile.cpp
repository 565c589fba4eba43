#include "core/QDN_readFile.h"

#include <cstdio>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"

int QDN_ReadFile(const char* fileName, std::string& out) {
  out.clear();
  std::FILE* file = fileName ? std::fopen(fileName, "rb") : nullptr;
  if (!file) return QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  int status = QDN_NO_ERROR;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) out.reserve(static_cast<size_t>(size));
    std::rewind(file);
  }
  char chunk[1 << 16];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, file);
    out.append(chunk, got);
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file)) status = QDN_Log(QDN_FILE_IO_FAILED, "OPEN FILE FAILED");
  std::fclose(file);
  return status;
}
