# Compiles the Java host and the Java tests with javac into class folders.
file(GLOB_RECURSE host_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/host/*.java)
file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/tests/edu/*.java)
file(GLOB_RECURSE overload_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/java/tests/missing-overload/*.java)

set(CALLBRIMA_HOST_CLASSES ${PROJECT_BINARY_DIR}/java/host)
set(CALLBRIMA_TEST_CLASSES ${PROJECT_BINARY_DIR}/java/tests)
set(CALLBRIMA_OVERLOAD_CLASSES ${PROJECT_BINARY_DIR}/java/missing-overload)

add_custom_command(OUTPUT ${CALLBRIMA_HOST_CLASSES}/.stamp
  COMMAND ${CALLBRIMA_JAVAC} -Xlint:all -Werror -d ${CALLBRIMA_HOST_CLASSES} ${host_sources}
  COMMAND ${CMAKE_COMMAND} -E touch ${CALLBRIMA_HOST_CLASSES}/.stamp
  DEPENDS ${host_sources} VERBATIM)
add_custom_command(OUTPUT ${CALLBRIMA_TEST_CLASSES}/.stamp
  COMMAND ${CALLBRIMA_JAVAC} -Xlint:all -d ${CALLBRIMA_TEST_CLASSES}
          -cp ${CALLBRIMA_HOST_CLASSES} ${test_sources}
  COMMAND ${CMAKE_COMMAND} -E touch ${CALLBRIMA_TEST_CLASSES}/.stamp
  DEPENDS ${test_sources} ${CALLBRIMA_HOST_CLASSES}/.stamp VERBATIM)
add_custom_command(OUTPUT ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp
  COMMAND ${CALLBRIMA_JAVAC} -Xlint:all -d ${CALLBRIMA_OVERLOAD_CLASSES} ${overload_sources}
  COMMAND ${CMAKE_COMMAND} -E touch ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp
  DEPENDS ${overload_sources} VERBATIM)
add_custom_target(java_classes ALL DEPENDS
  ${CALLBRIMA_HOST_CLASSES}/.stamp ${CALLBRIMA_TEST_CLASSES}/.stamp
  ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp)
add_dependencies(java_classes callbrima)

# The main job: the Java host loads the bundled example model and prints it.
add_custom_target(example
  COMMAND ${CALLBRIMA_JAVA_EXE} -Xcheck:jni -Dcallbrima.library=$<TARGET_FILE:callbrima>
          -cp ${CALLBRIMA_HOST_CLASSES} edu.tarn.belief.io.qdn.BRIMAReader
          ${PROJECT_SOURCE_DIR}/examples/asia.qdn
  DEPENDS java_classes callbrima USES_TERMINAL VERBATIM)

# Load time through the JVM for 10,000 and 100,000 nodes (prints figures).
add_custom_target(bench_jvm
  COMMAND ${CALLBRIMA_JAVA_EXE} -Dcallbrima.library=$<TARGET_FILE:callbrima>
          -cp ${CALLBRIMA_HOST_CLASSES}:${CALLBRIMA_TEST_CLASSES} edu.tarn.belief.io.qdn.LoadBenchmark
          ${CALLBRIMA_CORPUS_DIR}
  DEPENDS java_classes callbrima USES_TERMINAL VERBATIM)
