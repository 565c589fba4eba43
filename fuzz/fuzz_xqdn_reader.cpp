#include <cstddef>
#include <cstdint>

#include "fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzReader(data, size, 8, ".xqdn");
}
