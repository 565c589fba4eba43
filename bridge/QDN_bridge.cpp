// The four exported native methods of edu.tarn.belief.io.qdn.BRIMAReader.
#include <jni.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "bridge/bridge_state.h"
#include "bridge/jni_support.h"
#include "bridge/walk.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "xml/QDN_registerFormats.h"

namespace {

constexpr const char* kBindingFailure =
    "C++ failed to find expected interface to class BRIMAReader.";

std::unique_ptr<QDN_network>& CurrentSlot() {
  static std::unique_ptr<QDN_network> network;
  return network;
}

bool registration_flag = false;

// The bridge state, the current network, the error log and the format
// registry are shared by the whole process: one call at a time runs an
// export, a caller on another thread waits for its turn.
std::mutex& ExportLock() {
  static std::mutex lock;
  return lock;
}

// Set while this thread runs an export (and so inside every host callback
// the export makes).
thread_local bool inside_export = false;

// Runs an export body; no C++ exception may cross into the VM.
template <typename Result, typename Body> Result GuardedCall(Result failure, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    QDN_Log(QDN_OUT_OF_MEMORY, nullptr);
  } catch (...) {
  }
  return failure;
}

// Runs an export body under the process-wide lock. A call from a host
// callback of an export running on the same thread would replace the state
// under the outer call: it is refused with IllegalStateException (the outer
// call goes on when the host catches it). The queries, which replace
// nothing, run inside the outer call's turn instead.
template <typename Result, typename Body>
Result ExclusiveCall(JNIEnv* env, const char* name, bool refuse_nested, Result failure,
                     Body body) noexcept {
  if (inside_export) {
    if (!refuse_nested) return GuardedCall<Result>(failure, body);
    GuardedCall<int>(0, [&] {
      jclass illegal = env->FindClass("java/lang/IllegalStateException");
      const std::string message =
          std::string("C++ error: ") + name +
          " called from inside a callback of the library on the same thread; it would replace "
          "the network the running call is sending. Call it after that call has returned.";
      if (!illegal) return 0; // NoClassDefFoundError stays pending
      (void)ThrowJavaException(env, illegal, message);
      env->DeleteLocalRef(illegal);
      return 0;
    });
    return failure;
  }
  std::lock_guard<std::mutex> guard(ExportLock());
  inside_export = true;
  const Result result = GuardedCall<Result>(failure, body);
  inside_export = false;
  return result;
}

} // namespace

BridgeState& Bridge() {
  static BridgeState state;
  return state;
}

QDN_network* CurrentNetwork() { return CurrentSlot().get(); }

bool RegisterFormats() {
  if (registration_flag) return true;
  registration_flag = true;
  QDN_RegisterFormats();
  return registration_flag;
}

void ThrowBridgeException(const char* message) {
  (void)ThrowJavaException(Bridge().env, Bridge().exception_class, message);
}

void Warn(const char* message) {
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

bool Bind(JNIEnv* env, jobject host) {
  BridgeState& state = Bridge();
  state = BridgeState{};
  state.env = env;
  state.host = host;
  auto fail = [&] {
    ThrowBridgeException(kBindingFailure);
    return false;
  };
  state.string_class = env->FindClass("java/lang/String");
  if (!state.string_class) return fail();
  state.exception_class = env->FindClass("java/lang/Exception");
  // The exception class is not part of the binding test; without it the
  // throw helper looks the class up again.
  if (env->ExceptionCheck()) env->ExceptionClear();
  state.host_class = env->GetObjectClass(host);
  if (!state.host_class) return fail();
  struct Method {
    jmethodID* id;
    const char* name;
    const char* signature;
  };
  const Method methods[] = {
      {&state.load_node, "loadNode",
       "(Ljava/lang/String;Ljava/lang/String;[Ljava/lang/Object;[I[Ljava/lang/String;[D[I[Ljava/"
       "lang/String;[Ljava/lang/String;)V"},
      {&state.load_child_of_root_submodels, "loadChildOfRootSubmodels",
       "([I[Ljava/lang/String;[I[I)V"},
      {&state.load_submodel, "loadSubmodel", "(ILjava/lang/String;II[I)V"},
      {&state.debug_load_node, "debugLoadNode", "(Ljava/lang/String;)V"},
      {&state.put_network_parameter, "putNetworkParameter",
       "(Ljava/lang/Object;Ljava/lang/Object;)V"},
      {&state.put_network_parameter_int, "putNetworkParameter", "(Ljava/lang/Object;I)V"},
  };
  for (const Method& method : methods) {
    *method.id = env->GetMethodID(state.host_class, method.name, method.signature);
    // A failed look-up leaves NoSuchMethodError pending; the throw clears it.
    if (!*method.id) return fail();
  }
  state.empty_string = env->NewStringUTF("");
  if (!state.empty_string) return fail();
  RegisterFormats();
  return true;
}

bool LoadStep(const char* fileName, int formatNumber) {
  if (formatNumber < 0) formatNumber = 0;
  CurrentSlot().reset();
  CurrentSlot() = std::make_unique<QDN_network>();
  const int status = CurrentSlot()->ReadFile(fileName, formatNumber, 0);
  if (status == QDN_SYNTAX_ERROR) {
    ThrowBridgeException("QDN_SYNTAX_ERROR");
    return false;
  }
  if (status == QDN_CELL_BUDGET_EXCEEDED) {
    // The host cannot see the error log: the refusal, naming the node, the
    // cells and the budget, is the message.
    const QDN_errorLog& log = QDN_GetErrorLog();
    const size_t count = log.GetCount();
    ThrowBridgeException(count && log.GetEntry(count - 1).code == QDN_CELL_BUDGET_EXCEEDED
                             ? log.GetEntry(count - 1).message.c_str()
                             : "Table cell budget exceeded.");
    return false;
  }
  return status == QDN_NO_ERROR;
}

extern "C" {

JNIEXPORT jint JNICALL Java_edu_tarn_belief_io_qdn_BRIMAReader_testJNI(JNIEnv* env,
                                                                       jobject) noexcept {
  return ExclusiveCall<jint>(env, "testJNI", false, 0, [] {
    const QDN_network* network = CurrentNetwork();
    // Before the first load there is no network: report an empty one.
    std::printf("theNet->GetNumberOfNodes() == %d\n", network ? network->GetNumberOfNodes() : 0);
    std::fflush(stdout);
    return 0;
  });
}

JNIEXPORT jboolean JNICALL Java_edu_tarn_belief_io_qdn_BRIMAReader_librarySupports(
    JNIEnv* env, jobject, jint format) noexcept {
  return ExclusiveCall<jboolean>(env, "librarySupports", false, JNI_TRUE, [format]() -> jboolean {
    const bool registered = RegisterFormats();
    if (format == QDN_FORMAT_XQDN) return registered ? JNI_TRUE : JNI_FALSE;
    return JNI_TRUE;
  });
}

JNIEXPORT jint JNICALL Java_edu_tarn_belief_io_qdn_BRIMAReader_loadQDN(JNIEnv* env, jobject self,
                                                                       jstring fileName,
                                                                       jint format) noexcept {
  return ExclusiveCall<jint>(env, "loadQDN", true, -1, [&]() -> jint {
    if (!Bind(env, self)) return -1;
    if (!fileName) {
      ThrowBridgeException("C++ error: loadQDN called with a null file name.");
      return -1;
    }
    UtfChars name(env, fileName);
    if (!name.get()) return -1; // OutOfMemoryError pending
    if (!LoadStep(name.get(), format)) return -1;
    if (!SendNetwork(*CurrentNetwork())) return -1;
    return QDN_network::kMainSubmodel;
  });
}

JNIEXPORT jboolean JNICALL Java_edu_tarn_belief_io_qdn_BRIMAReader_updateQDN(
    JNIEnv* env, jobject self, jstring inputFile, jint inputFormat, jstring outputFile,
    jint outputFormat, jobjectArray nodeIds, jobjectArray probabilities,
    jobjectArray networkPropertyNames, jobjectArray networkPropertyValues,
    jobjectArray nodePropertyNames, jobjectArray nodePropertyValues,
    jobjectArray diagnosisTypes) noexcept {
  return ExclusiveCall<jboolean>(env, "updateQDN", true, JNI_FALSE, [&]() -> jboolean {
    UpdateArguments args{
        inputFile,         inputFormat,        outputFile,           outputFormat,
        nodeIds,           probabilities,      networkPropertyNames, networkPropertyValues,
        nodePropertyNames, nodePropertyValues, diagnosisTypes};
    return UpdateAndSave(env, self, args) ? JNI_TRUE : JNI_FALSE;
  });
}

} // extern "C"
