# Source lists of the engine and the JNI bridge. Every .cpp file in the engine
# folders belongs to the engine, so a new format folder under formats/ is
# picked up without editing this file.
set(CALLBRIMA_ENGINE_DIRS core network definitions formats xml)

set(CALLBRIMA_ENGINE_SOURCES)
foreach(dir IN LISTS CALLBRIMA_ENGINE_DIRS)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND CALLBRIMA_ENGINE_SOURCES ${sources})
endforeach()
list(SORT CALLBRIMA_ENGINE_SOURCES)

file(GLOB CALLBRIMA_BRIDGE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
  ${CMAKE_CURRENT_SOURCE_DIR}/bridge/*.cpp)
