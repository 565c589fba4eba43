// Every benchmark reads and writes through the format table, so each
// benchmark program registers the formats before its first run.
#include "xml/QDN_registerFormats.h"

namespace {

[[maybe_unused]] const bool formats_registered = [] {
  QDN_RegisterFormats();
  return true;
}();

} // namespace
