# Fails unless the library's dynamic symbol table defines exactly the four JNI exports.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected
  Java_edu_tarn_belief_io_qdn_BRIMAReader_librarySupports
  Java_edu_tarn_belief_io_qdn_BRIMAReader_loadQDN
  Java_edu_tarn_belief_io_qdn_BRIMAReader_testJNI
  Java_edu_tarn_belief_io_qdn_BRIMAReader_updateQDN)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "unexpected exports: ${names}")
endif()
message(STATUS "exports: ${names}")
