# Compiles and runs Use.java against the installed jar alone: no class path but
# the jar, no library path, no library but the jar's copy. Then once more with
# the installed library on java.library.path and no usable temporary folder, so
# only the library path can serve.
set(jar ${PREFIX}/share/java/callbrima.jar)
if(NOT EXISTS ${jar})
  message(FATAL_ERROR "no jar at ${jar}")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/classes ${WORK}/tmp)
execute_process(COMMAND ${JAVAC} -Xlint:all -Werror -cp ${jar} -d ${WORK}/classes ${SOURCE}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "javac against the jar failed")
endif()

function(run_use what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH
    ${JAVA} -Xcheck:jni ${ARGN} -cp ${jar}:${WORK}/classes Use ${MODEL}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^nodes: 8\n" OR "${out}${err}" MATCHES
     "WARNING in native method|FATAL ERROR")
    message(FATAL_ERROR "Use (${what}): exit ${rc}\n${out}${err}")
  endif()
  message(STATUS "Use (${what}):\n${out}")
endfunction()

run_use("library from the jar" -Djava.io.tmpdir=${WORK}/tmp)
file(GLOB left ${WORK}/tmp/*)
if(left)
  message(FATAL_ERROR "the extracted library was left behind: ${left}")
endif()

file(GLOB library ${PREFIX}/lib*/libcallbrima.so)
get_filename_component(library_dir "${library}" DIRECTORY)
run_use("library on java.library.path" -Djava.library.path=${library_dir}
        -Djava.io.tmpdir=${WORK}/absent)
