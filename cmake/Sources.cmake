# Source lists of the engine and the JNI bridge.
set(CALLBRIMA_ENGINE_SOURCES
  core/QDN_object.cpp
  core/QDN_status.cpp
  core/QDN_array.cpp
  core/QDN_intArray.cpp
  core/QDN_doubleArray.cpp
  core/QDN_stringArray.cpp
  core/QDN_idArray.cpp
  core/QDN_Dmatrix.cpp
  core/QDN_errorLog.cpp
  network/QDN_formatDispatch.cpp
  network/QDN_network.cpp
  xml/QDN_xqdnFactory.cpp
)

set(CALLBRIMA_BRIDGE_SOURCES
  bridge/QDN_bridge.cpp
  bridge/jni_support.cpp
  bridge/walk.cpp
  bridge/update.cpp
)
