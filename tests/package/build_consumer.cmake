# Configures and builds the consumer project against the installed package in
# PREFIX, then runs it on model files in several formats.
file(REMOVE_RECURSE ${BINARY_DIR})
set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${CXX})
if(LAUNCHER)
  list(APPEND configure -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
foreach(step IN ITEMS configure build)
  if(step STREQUAL "build")
    set(command ${CMAKE_COMMAND} --build ${BINARY_DIR})
  else()
    set(command ${configure})
  endif()
  execute_process(COMMAND ${command} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "consumer ${step} failed:\n${out}")
  endif()
endforeach()

# The same network in the native text, native XML, Hugin and BIF formats; the
# native XML read needs the registration the umbrella header declares.
foreach(model examples/asia.qdn fuzz/corpus/xqdn/asia.xqdn tests/corpus/hugin/problog/asia.net
              tests/corpus/bif/pgmpy/asia.bif)
  execute_process(COMMAND ${BINARY_DIR}/consumer ${MODELS_DIR}/${model}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^nodes: 8\n")
    message(FATAL_ERROR "consumer on ${model}: exit ${rc}\n${out}${err}")
  endif()
  message(STATUS "${model}:\n${out}")
endforeach()
