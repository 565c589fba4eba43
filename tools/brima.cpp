// brima: check, inspect and convert model files with the callbrima engine.
#include <callbrima/callbrima.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_cellBudget.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "tools/brima_output.h"

namespace {

#ifndef CALLBRIMA_VERSION
#define CALLBRIMA_VERSION "unknown"
#endif

constexpr const char* kUsage =
    "usage: brima COMMAND [OPTIONS]\n"
    "       brima help [COMMAND] | --help | --version\n"
    "\n"
    "commands:\n"
    "  check FILE [--format N]           read FILE and list every problem found\n"
    "  info FILE [--format N] [--json]   describe the network in FILE\n"
    "  convert IN OUT [--from N] [--to N]  read IN and write it as OUT\n"
    "  dot FILE [--format N]             the network as a Graphviz DOT graph\n"
    "\n"
    "Formats are chosen by extension or by number: 1 Ergo (.erg), 2 Netica (.dne),\n"
    "3 MSBN (.dsc), 4 native text (.qdn), 5 Hugin (.net), 6 XMLBIF (.xml03),\n"
    "7 KI (.dxp), 8 native XML (.xqdn), 9 BIF (.bif).\n"
    "--max-cells N sets the table cells one read may build (default: the larger\n"
    "of 2^24 and 8 per byte of the file; the variable CALLBRIMA_MAX_CELLS sets it too).\n"
    "\n"
    "Exit codes: 0 success; 1 'check' read the file but logged problems; 2 failure\n"
    "(bad arguments, a missing file or unknown format, a failed read or write).\n"
    "Run 'brima COMMAND --help' for one command.\n";

constexpr const char* kCheckHelp =
    "usage: brima check FILE [--format N]\n"
    "Reads FILE as the Java host's loadQDN would and prints every logged problem\n"
    "with its line and status, then a summary.\n"
    "Exit code: 0 read with no problem logged, 1 read with problems, 2 failed.\n";
constexpr const char* kInfoHelp =
    "usage: brima info FILE [--format N] [--json]\n"
    "Prints the nodes (type, outcomes, parents, table size), the submodels and the\n"
    "network properties of FILE; --json prints the same as JSON.\n"
    "Exit code: 0 printed, 2 failed (the logged problems go to standard error).\n";
constexpr const char* kConvertHelp =
    "usage: brima convert IN OUT [--from N] [--to N]\n"
    "Reads IN and writes OUT in the format of its extension (or --to N). A refused\n"
    "or failed write leaves an existing OUT unchanged.\n"
    "Exit code: 0 written, 2 failed (the logged problems go to standard error).\n";
constexpr const char* kDotHelp =
    "usage: brima dot FILE [--format N]\n"
    "Writes the network as a Graphviz DOT graph on standard output: nodes with\n"
    "their outcomes, arcs, submodels as clusters, the file's positions pinned.\n"
    "Exit code: 0 written, 2 failed (the logged problems go to standard error).\n";

struct Options {
  std::vector<std::string> files;
  int format = 0;
  int to = 0;
  bool json = false;
  bool help = false;
};

bool ParseFormat(const char* text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (!end || *end || value < 0 || value > 9) return false;
  out = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--format" || arg == "--from" || arg == "--to") {
      if (i + 1 >= argc || !ParseFormat(argv[i + 1], arg == "--to" ? options.to : options.format)) {
        std::fprintf(stderr, "brima: %s needs a format number from 0 to 9\n", argv[i]);
        return false;
      }
      ++i;
    } else if (arg == "--max-cells") {
      char* end = nullptr;
      const long long cells = i + 1 < argc ? std::strtoll(argv[i + 1], &end, 10) : 0;
      if (cells < 1 || !end || *end) {
        std::fprintf(stderr, "brima: --max-cells needs a number of cells of at least 1\n");
        return false;
      }
      QDN_cellBudget::SetMaxCells(cells);
      ++i;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "brima: unknown option '%s'\n", argv[i]);
      return false;
    } else {
      options.files.emplace_back(arg);
    }
  }
  return true;
}

// The name of a status code. The library's ErrorName keeps the names its
// callers know, which call many failures "NO ERROR"; brima names each code
// after its constant so a message shows what went wrong.
const char* StatusText(int status) {
  switch (status) {
  case QDN_NO_ERROR:
    return "NO ERROR";
  case QDN_GENERAL_FAILURE:
    return "GENERAL FAILURE";
  case QDN_NO_FREE_SUBMODEL_SLOT:
    return "NO FREE SUBMODEL SLOT";
  case QDN_XML_ERROR:
    return "XML ERROR";
  case QDN_END_OF_INPUT:
    return "END OF INPUT";
  case QDN_SYNTAX_ERROR:
    return "SYNTAX ERROR";
  case QDN_NOT_THIS_STATEMENT:
    return "NOT THIS STATEMENT";
  case QDN_OBJECT_NOT_READY:
    return "OBJECT NOT READY";
  case QDN_NOT_CONSISTENT:
    return "NOT CONSISTENT";
  default:
    // Codes without a constant of their own are still failures.
    return std::strcmp(ErrorName(status), "NO ERROR") == 0 ? "ERROR" : ErrorName(status);
  }
}

void PrintLog(std::FILE* out) {
  const QDN_errorLog& log = QDN_GetErrorLog();
  if (log.GetDropped() > 0) std::fprintf(out, "(%zu earlier messages dropped)\n", log.GetDropped());
  for (size_t i = 0; i < log.GetCount(); ++i) {
    const QDN_errorLog::Entry& entry = log.GetEntry(i);
    std::fprintf(out, "%s [%d %s]\n", entry.message.c_str(), entry.code, StatusText(entry.code));
  }
}

// Says what is wrong with an input name before the library tries it.
bool CheckInput(const std::string& file, int format) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    std::fprintf(stderr, "brima: %s: no such file\n", file.c_str());
    return false;
  }
  if (format == 0 && FormatFromExtension(file.c_str()) < 0 && FormatFromContent(file.c_str()) < 0) {
    std::fprintf(stderr, "brima: %s: unknown file format (give --format N)\n", file.c_str());
    return false;
  }
  return true;
}

// The format a read with format number `format` takes: the number itself, or
// the one of the extension, or the one the file's first bytes show.
int ChosenFormat(const std::string& file, int format, bool& from_content) {
  from_content = false;
  if (format != 0) return format;
  const int by_extension = FormatFromExtension(file.c_str());
  if (by_extension > 0) return by_extension;
  from_content = true;
  return FormatFromContent(file.c_str());
}

// Reads with a note on standard error when the read takes more than a moment.
int TimedRead(QDN_network& net, const std::string& file, int format) {
  const auto start = std::chrono::steady_clock::now();
  const auto size = std::filesystem::file_size(file);
  if (size > (8u << 20))
    std::fprintf(stderr, "brima: reading %s (%ju MB)...\n", file.c_str(),
                 static_cast<uintmax_t>(size >> 20));
  const int status = net.ReadFile(file.c_str(), format, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (seconds > 1.0) std::fprintf(stderr, "brima: read %s in %.1f s\n", file.c_str(), seconds);
  return status;
}

int Check(const Options& options) {
  if (options.help) return std::fputs(kCheckHelp, stdout), 0;
  if (options.files.size() != 1) return std::fputs(kCheckHelp, stderr), 2;
  const std::string& file = options.files[0];
  if (!CheckInput(file, options.format)) return 2;
  bool from_content = false;
  const int chosen = ChosenFormat(file, options.format, from_content);
  std::printf("%s: read as %s (format %d, chosen by %s)\n", file.c_str(), FormatName(chosen),
              chosen,
              options.format != 0 ? "--format"
              : from_content      ? "the file's first bytes"
                                  : "extension");
  QDN_network net;
  const int status = TimedRead(net, file, options.format);
  PrintLog(stdout);
  const int dropped = net.GetDroppedNodes();
  std::printf("%s: %d nodes read, %d dropped, status %d (%s)\n", file.c_str(),
              net.GetNumberOfNodes() + dropped, dropped, status, StatusText(status));
  if (status != QDN_NO_ERROR) return 2;
  return QDN_GetErrorLog().GetCount() > 0 ? 1 : 0;
}

int Info(const Options& options) {
  if (options.help) return std::fputs(kInfoHelp, stdout), 0;
  if (options.files.size() != 1) return std::fputs(kInfoHelp, stderr), 2;
  const std::string& file = options.files[0];
  if (!CheckInput(file, options.format)) return 2;
  QDN_network net;
  const int status = TimedRead(net, file, options.format);
  if (status != QDN_NO_ERROR) {
    PrintLog(stderr);
    std::fprintf(stderr, "brima: %s: read failed with status %d (%s)\n", file.c_str(), status,
                 StatusText(status));
    return 2;
  }
  std::fputs((options.json ? DescribeJson(net) : DescribeText(net)).c_str(), stdout);
  return 0;
}

int Convert(const Options& options) {
  if (options.help) return std::fputs(kConvertHelp, stdout), 0;
  if (options.files.size() != 2) return std::fputs(kConvertHelp, stderr), 2;
  const std::string& in = options.files[0];
  const std::string& out = options.files[1];
  if (!CheckInput(in, options.format)) return 2;
  if (options.to == 0 && FormatFromExtension(out.c_str()) < 0) {
    std::fprintf(stderr, "brima: %s: unknown output format (give --to N)\n", out.c_str());
    return 2;
  }
  QDN_network net;
  int status = TimedRead(net, in, options.format);
  if (status != QDN_NO_ERROR) {
    PrintLog(stderr);
    std::fprintf(stderr, "brima: %s: read failed with status %d (%s)\n", in.c_str(), status,
                 StatusText(status));
    return 2;
  }
  QDN_GetErrorLog().Clear();
  const auto start = std::chrono::steady_clock::now();
  status = net.WriteFile(out.c_str(), options.to);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (seconds > 1.0) std::fprintf(stderr, "brima: wrote %s in %.1f s\n", out.c_str(), seconds);
  if (status != QDN_NO_ERROR) {
    PrintLog(stderr);
    std::fprintf(stderr, "brima: %s: write failed with status %d (%s)\n", out.c_str(), status,
                 StatusText(status));
    return 2;
  }
  std::printf("%s -> %s: %d nodes\n", in.c_str(), out.c_str(), net.GetNumberOfNodes());
  return 0;
}

int Dot(const Options& options) {
  if (options.help) return std::fputs(kDotHelp, stdout), 0;
  if (options.files.size() != 1) return std::fputs(kDotHelp, stderr), 2;
  const std::string& file = options.files[0];
  if (!CheckInput(file, options.format)) return 2;
  QDN_network net;
  const int status = TimedRead(net, file, options.format);
  if (status != QDN_NO_ERROR) {
    PrintLog(stderr);
    std::fprintf(stderr, "brima: %s: read failed with status %d (%s)\n", file.c_str(), status,
                 StatusText(status));
    return 2;
  }
  std::fputs(DescribeDot(net).c_str(), stdout);
  return 0;
}

const char* CommandHelp(std::string_view command) {
  if (command == "check") return kCheckHelp;
  if (command == "info") return kInfoHelp;
  if (command == "convert") return kConvertHelp;
  if (command == "dot") return kDotHelp;
  return nullptr;
}

} // namespace

int main(int argc, char** argv) {
  // The native XML format is available wherever the library is.
  QDN_RegisterFormats();
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("brima %s\n", CALLBRIMA_VERSION);
    return 0;
  }
  if (std::strcmp(argv[1], "help") == 0) {
    if (argc == 2) return std::fputs(kUsage, stdout), 0;
    const char* text = CommandHelp(argv[2]);
    if (!text || argc > 3) {
      std::fprintf(stderr, "brima: help: unknown command '%s'\n%s", argv[2], kUsage);
      return 2;
    }
    return std::fputs(text, stdout), 0;
  }
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  const std::string_view command = argv[1];
  if (command == "check") return Check(options);
  if (command == "info") return Info(options);
  if (command == "convert") return Convert(options);
  if (command == "dot") return Dot(options);
  std::fprintf(stderr, "brima: unknown command '%s'\n%s", argv[1], kUsage);
  return 2;
}
