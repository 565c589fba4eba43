#pragma once

#include <jni.h>

#include <memory>

class QDN_network;

// What the exports share during one call. VM values are valid only during the
// call that obtained them and are refreshed by every loadQDN and updateQDN.
struct BridgeState {
  JNIEnv* env = nullptr;
  jobject host = nullptr;
  jclass string_class = nullptr;
  jclass exception_class = nullptr;
  jclass host_class = nullptr;
  jmethodID load_node = nullptr;
  jmethodID load_child_of_root_submodels = nullptr;
  jmethodID load_submodel = nullptr;
  jmethodID debug_load_node = nullptr;
  jmethodID put_network_parameter = nullptr;
  jmethodID put_network_parameter_int = nullptr;
  jstring empty_string = nullptr;
};

BridgeState& Bridge();

// The network of the most recent load; null before the first one.
QDN_network* CurrentNetwork();

// Registers the native XML format's factory, once per process. Returns the
// registration flag (always true afterwards).
bool RegisterFormats();

// Stores env and host and looks up the host's classes, the six callbacks and
// the empty string. On failure throws "C++ failed to find expected interface
// to class BRIMAReader." and returns false.
bool Bind(JNIEnv* env, jobject host);

// Reads fileName into a new current network. A syntax error throws
// "QDN_SYNTAX_ERROR"; every failure returns false.
bool LoadStep(const char* fileName, int formatNumber);

// Throws a java.lang.Exception through the bound exception class.
void ThrowBridgeException(const char* message);

// Writes a bridge warning line to the standard error stream and flushes it.
void Warn(const char* message);
