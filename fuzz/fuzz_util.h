#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// One temporary path per fuzzing process, so targets stay deterministic.
inline std::string FuzzTempPath(const char* name, const char* extension) {
  return "/tmp/callbrima-fuzz-" + std::to_string(::getpid()) + "-" + name + extension;
}

// Removes the temporary files of a fuzzing process when it exits.
struct FuzzTempFiles {
  std::string in;
  std::string out;
  ~FuzzTempFiles() {
    std::remove(in.c_str());
    std::remove(out.c_str());
  }
};

inline void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  if (size > 0) (void)std::fwrite(data, 1, size, file);
  std::fclose(file);
}
