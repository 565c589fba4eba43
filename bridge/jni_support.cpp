#include "bridge/jni_support.h"

bool ThrowJavaException(JNIEnv* env, jclass exception_class, const std::string& message) {
  if (env->ExceptionCheck()) env->ExceptionClear();
  jclass local = nullptr;
  if (!exception_class) {
    local = env->FindClass("java/lang/Exception");
    if (!local) return false; // NoClassDefFoundError stays pending for the host
    exception_class = local;
  }
  const bool thrown = env->ThrowNew(exception_class, message.c_str()) == 0;
  if (local) env->DeleteLocalRef(local);
  return thrown;
}
