#include "bridge/jni_support.h"

#include "bridge/java_text.h"

UtfChars::UtfChars(JNIEnv* env, jstring text) {
  if (!text) return;
  const char* chars = env->GetStringUTFChars(text, nullptr);
  if (!chars) return; // OutOfMemoryError pending
  try {
    text_ = FromModifiedUtf8(chars);
  } catch (...) {
    env->ReleaseStringUTFChars(text, chars);
    throw;
  }
  env->ReleaseStringUTFChars(text, chars);
  ok_ = true;
}

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
