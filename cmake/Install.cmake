# Installs the engine (a static library per layer, and the headers), the JNI
# library, the jar, the brima tool and the CMake package callbrima (targets
# callbrima::engine, the whole engine, and callbrima::jni; the layers are
# callbrima::core, ::model, ::formats and ::xml):
#   find_package(callbrima CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE callbrima::engine)
set(CALLBRIMA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/callbrima)

set(callbrima_targets callbrima_engine)
foreach(layer IN LISTS CALLBRIMA_LAYERS)
  list(APPEND callbrima_targets callbrima_${layer})
endforeach()
if(CALLBRIMA_JAVA)
  list(APPEND callbrima_targets callbrima)
endif()
install(TARGETS ${callbrima_targets} EXPORT callbrimaTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
install(TARGETS brima RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)

# The engine headers keep their folders, so their includes of each other
# ("core/QDN_status.h") resolve under include/callbrima.
install(DIRECTORY ${CALLBRIMA_ENGINE_DIRS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/callbrima COMPONENT development
  FILES_MATCHING PATTERN "*.h")
install(FILES include/callbrima/callbrima.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/callbrima COMPONENT development)

install(EXPORT callbrimaTargets NAMESPACE callbrima:: DESTINATION ${CALLBRIMA_CMAKE_DIR}
  COMPONENT development)
configure_package_config_file(cmake/callbrimaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/callbrimaConfig.cmake INSTALL_DESTINATION ${CALLBRIMA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/callbrimaConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/callbrimaConfig.cmake
  ${PROJECT_BINARY_DIR}/callbrimaConfigVersion.cmake
  DESTINATION ${CALLBRIMA_CMAKE_DIR} COMPONENT development)
