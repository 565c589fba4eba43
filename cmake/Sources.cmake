# Source lists of the engine's layers and of the JNI bridge. The engine is
# four layers, each a static library that may use only the layers before it:
#   core     core/
#   model    network/ and definitions/ (they need each other by design)
#   formats  formats/ (the text base and one folder per format)
#   xml      xml/ (the native XML format)
# Every .cpp file in a layer's folders belongs to that layer, so a new format
# folder under formats/ is picked up without editing this file.
set(CALLBRIMA_LAYERS core model formats xml)
set(CALLBRIMA_core_DIRS core)
set(CALLBRIMA_model_DIRS network definitions)
set(CALLBRIMA_formats_DIRS formats)
set(CALLBRIMA_xml_DIRS xml)

set(CALLBRIMA_ENGINE_DIRS)
foreach(layer IN LISTS CALLBRIMA_LAYERS)
  set(CALLBRIMA_${layer}_SOURCES)
  foreach(dir IN LISTS CALLBRIMA_${layer}_DIRS)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
      ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND CALLBRIMA_${layer}_SOURCES ${sources})
  endforeach()
  list(SORT CALLBRIMA_${layer}_SOURCES)
  list(APPEND CALLBRIMA_ENGINE_DIRS ${CALLBRIMA_${layer}_DIRS})
endforeach()

file(GLOB CALLBRIMA_BRIDGE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
  ${CMAKE_CURRENT_SOURCE_DIR}/bridge/*.cpp)
