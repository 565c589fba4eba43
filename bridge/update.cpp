#include <string>

#include "bridge/bridge_state.h"
#include "bridge/jni_support.h"
#include "bridge/walk.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"

namespace {

constexpr const char* kUnequalLengths =
    "C++ array of node IDs and array of probabilities are of unequal length.";

} // namespace

bool UpdateAndSave(JNIEnv* env, jobject host, const UpdateArguments& args) {
  // The length check comes before the binding, so it throws through a class
  // looked up on the spot.
  if (!args.node_ids || !args.probabilities) {
    (void)ThrowJavaException(env, nullptr,
                             "C++ error: updateQDN needs arrays of node IDs and probabilities, "
                             "not null.");
    return false;
  }
  if (env->GetArrayLength(args.node_ids) != env->GetArrayLength(args.probabilities)) {
    (void)ThrowJavaException(env, nullptr, kUnequalLengths);
    return false;
  }
  if (!Bind(env, host)) return false;
  if (!args.input_file || !args.output_file) {
    ThrowBridgeException("C++ error: updateQDN called with a null file name.");
    return false;
  }
  UtfChars input(env, args.input_file);
  if (!input.get()) return false;
  UtfChars output(env, args.output_file);
  if (!output.get()) return false;
  if (!LoadStep(input.get(), args.input_format)) return false;
  if (CurrentNetwork()->WriteFile(output.get(), args.output_format) != QDN_NO_ERROR) {
    ThrowBridgeException("C++ error: Failed to write file.");
    return false;
  }
  return true;
}
