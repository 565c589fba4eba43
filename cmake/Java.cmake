# The jar callbrima.jar: the host class and, as a resource under
# native/<os>-<arch>/, the JNI library, which the class extracts and loads when
# the library is not on java.library.path. Also compiles the Java tests.
set(Java_JAVA_EXECUTABLE "${CALLBRIMA_JAVA_EXE}" CACHE FILEPATH "java of the JDK")
set(Java_JAVAC_EXECUTABLE "${CALLBRIMA_JAVAC}" CACHE FILEPATH "javac of the JDK")
set(Java_JAR_EXECUTABLE "${CALLBRIMA_JDK_HOME}/bin/jar" CACHE FILEPATH "jar of the JDK")
set(Java_JAVADOC_EXECUTABLE "${CALLBRIMA_JDK_HOME}/bin/javadoc" CACHE FILEPATH "javadoc of the JDK")
find_package(Java 11 REQUIRED COMPONENTS Development)
include(UseJava)

# The platform folder, named as the host class names it from os.name and os.arch.
string(TOLOWER "${CMAKE_SYSTEM_NAME}" callbrima_os)
if(callbrima_os STREQUAL "darwin")
  set(callbrima_os macos)
endif()
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" callbrima_arch)
if(callbrima_arch MATCHES "^(amd64|x86_64|x86-64)$")
  set(callbrima_arch x86_64)
elseif(callbrima_arch MATCHES "^(aarch64|arm64)$")
  set(callbrima_arch aarch64)
endif()
set(CALLBRIMA_PLATFORM "${callbrima_os}-${callbrima_arch}")

# add_jar takes resources that exist when configuring: a placeholder first,
# which every build replaces with the library when they differ (the jar is
# remade only then).
set(native_file
  ${PROJECT_BINARY_DIR}/java/native/${CMAKE_SHARED_LIBRARY_PREFIX}callbrima${CMAKE_SHARED_LIBRARY_SUFFIX})
if(NOT EXISTS ${native_file})
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/java/native)
  file(TOUCH ${native_file})
endif()
add_custom_target(callbrima_native
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:callbrima> ${native_file}
  BYPRODUCTS ${native_file} DEPENDS callbrima VERBATIM)

file(GLOB_RECURSE host_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/host/*.java)
set(CMAKE_JAVA_COMPILE_FLAGS --release 11 -Xlint:all -Xdoclint:all,-missing/protected -Werror)
add_jar(callbrima_jar
  SOURCES ${host_sources}
  RESOURCES NAMESPACE native/${CALLBRIMA_PLATFORM} ${native_file}
  OUTPUT_NAME callbrima
  ENTRY_POINT edu.tarn.belief.io.qdn.BRIMAReader)
unset(CMAKE_JAVA_COMPILE_FLAGS)
add_dependencies(callbrima_jar callbrima_native)
get_target_property(CALLBRIMA_JAR callbrima_jar JAR_FILE)
if(CALLBRIMA_INSTALL)
  install_jar(callbrima_jar DESTINATION ${CMAKE_INSTALL_DATADIR}/java COMPONENT runtime)
endif()

# The Java tests compile against the jar and run with -Dcallbrima.library
# naming the freshly built library.
file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/tests/edu/*.java)
file(GLOB_RECURSE overload_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/java/tests/missing-overload/*.java)

set(CALLBRIMA_HOST_CLASSES ${CALLBRIMA_JAR})
set(CALLBRIMA_TEST_CLASSES ${PROJECT_BINARY_DIR}/java/tests)
set(CALLBRIMA_OVERLOAD_CLASSES ${PROJECT_BINARY_DIR}/java/missing-overload)

add_custom_command(OUTPUT ${CALLBRIMA_TEST_CLASSES}/.stamp
  COMMAND ${CALLBRIMA_JAVAC} -Xlint:all -d ${CALLBRIMA_TEST_CLASSES}
          -cp ${CALLBRIMA_HOST_CLASSES} ${test_sources}
  COMMAND ${CMAKE_COMMAND} -E touch ${CALLBRIMA_TEST_CLASSES}/.stamp
  DEPENDS ${test_sources} ${CALLBRIMA_JAR} callbrima_jar VERBATIM)
add_custom_command(OUTPUT ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp
  COMMAND ${CALLBRIMA_JAVAC} -Xlint:all -d ${CALLBRIMA_OVERLOAD_CLASSES} ${overload_sources}
  COMMAND ${CMAKE_COMMAND} -E touch ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp
  DEPENDS ${overload_sources} VERBATIM)
add_custom_target(java_classes ALL DEPENDS
  ${CALLBRIMA_TEST_CLASSES}/.stamp ${CALLBRIMA_OVERLOAD_CLASSES}/.stamp)
add_dependencies(java_classes callbrima callbrima_jar)

# The main job: the jar alone (its own copy of the library) loads the bundled
# example model and prints what it received.
add_custom_target(example
  COMMAND ${CALLBRIMA_JAVA_EXE} -Xcheck:jni -jar ${CALLBRIMA_JAR}
          ${PROJECT_SOURCE_DIR}/examples/asia.qdn
  DEPENDS callbrima_jar USES_TERMINAL VERBATIM)

# Load time through the JVM for 10,000 and 100,000 nodes (prints figures).
add_custom_target(bench_jvm
  COMMAND ${CALLBRIMA_JAVA_EXE} -Dcallbrima.library=$<TARGET_FILE:callbrima>
          -cp ${CALLBRIMA_HOST_CLASSES}:${CALLBRIMA_TEST_CLASSES}
          edu.tarn.belief.io.qdn.LoadBenchmark
          ${CALLBRIMA_CORPUS_DIR}
  DEPENDS java_classes callbrima USES_TERMINAL VERBATIM)

# HTML pages of the host class's Javadoc, in build/javadoc (not built by default).
add_custom_target(javadoc
  COMMAND ${Java_JAVADOC_EXECUTABLE} -quiet -Xdoclint:all,-missing -d ${PROJECT_BINARY_DIR}/javadoc
          ${host_sources}
  VERBATIM)
