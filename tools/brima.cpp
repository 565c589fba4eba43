// brima: check, inspect and convert model files with the callbrima engine.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"

namespace {

void PrintLog() {
  const QDN_errorLog& log = QDN_GetErrorLog();
  for (size_t i = 0; i < log.GetCount(); ++i) {
    const QDN_errorLog::Entry& entry = log.GetEntry(i);
    std::printf("%s [%d %s]\n", entry.message.c_str(), entry.code, ErrorName(entry.code));
  }
}

int Check(const char* file, int format) {
  QDN_network net;
  const int before = 0;
  const int status = net.ReadFile(file, format, 0);
  PrintLog();
  std::printf("%s: %d nodes read, status %d (%s)\n", file, net.GetNumberOfNodes() - before, status,
              status == QDN_SYNTAX_ERROR ? "SYNTAX ERROR" : ErrorName(status));
  if (status != QDN_NO_ERROR) return 2;
  return QDN_GetErrorLog().GetCount() > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "check") == 0) {
    int format = 0;
    if (argc >= 5 && std::strcmp(argv[3], "--format") == 0) format = std::atoi(argv[4]);
    return Check(argv[2], format);
  }
  std::fprintf(stderr, "usage: brima check FILE [--format N]\n");
  return 2;
}
