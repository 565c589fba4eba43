#pragma once

#include <jni.h>

#include <string>

// RAII holders for what JNI hands out, so that no error path forgets a release.
// Destructors only call functions that are legal with an exception pending.

// One local-reference frame, popped on every path out of its scope.
class LocalFrame {
public:
  LocalFrame(JNIEnv* env, jint capacity) : env_(env), ok_(env->PushLocalFrame(capacity) == 0) {}
  LocalFrame(const LocalFrame&) = delete;
  LocalFrame& operator=(const LocalFrame&) = delete;
  ~LocalFrame() {
    if (ok_) env_->PopLocalFrame(nullptr);
  }
  bool ok() const { return ok_; }

private:
  JNIEnv* env_;
  bool ok_;
};

// The text of a Java string as standard UTF-8 (the VM's modified UTF-8 with
// surrogate pairs joined). The VM's copy is released at once.
class UtfChars {
public:
  UtfChars(JNIEnv* env, jstring text);
  UtfChars(const UtfChars&) = delete;
  UtfChars& operator=(const UtfChars&) = delete;
  // Null when the string was null or could not be read (an exception is then pending).
  const char* get() const { return ok_ ? text_.c_str() : nullptr; }

private:
  std::string text_;
  bool ok_ = false;
};

// A local reference deleted at scope end (for references made outside a LocalFrame).
template <typename T> class LocalRef {
public:
  LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  ~LocalRef() {
    if (ref_) env_->DeleteLocalRef(ref_);
  }
  T get() const { return ref_; }

private:
  JNIEnv* env_;
  T ref_;
};

// Throws a java.lang.Exception with message. A pending exception (for example
// the NoSuchMethodError of a failed method look-up) is cleared first, so the
// host receives the bridge's own exception. Returns false when no exception
// could be raised (the class could not be found).
bool ThrowJavaException(JNIEnv* env, jclass exception_class, const std::string& message);
