#include <cstddef>
#include <cstdint>

#include "fuzz_reader.h"
#include "network/QDN_formatDispatch.h"
#include "xml/QDN_registerFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    QDN_RegisterFormats();
    return true;
  }();
  (void)registered;
  return FuzzReader(data, size, 8, ".xqdn");
}
