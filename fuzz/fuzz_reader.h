#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/QDN_errorLog.h"
#include "fuzz_util.h"
#include "network/QDN_network.h"
#include "xml/QDN_registerFormats.h"

// Reads the input in one format; whatever reads must write, and what is
// written must read back.
inline int FuzzReader(const uint8_t* data, size_t size, int format, const char* extension) {
  static const bool registered = [] {
    QDN_RegisterFormats();
    return true;
  }();
  (void)registered;
  if (size > (1u << 20)) return 0; // large inputs only slow the search
  static const FuzzTempFiles files{FuzzTempPath("in", extension), FuzzTempPath("out", extension)};
  const std::string& in = files.in;
  const std::string& out = files.out;
  WriteAll(in, data, size);
  QDN_GetErrorLog().Clear();
  QDN_network net;
  if (net.ReadFile(in.c_str(), format, 0) < 0) return 0;
  if (net.WriteFile(out.c_str(), format) < 0) return 0;
  QDN_network again;
  if (again.ReadFile(out.c_str(), format, 0) < 0) std::abort();
  return 0;
}
