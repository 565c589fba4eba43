# Installs the build in BUILD_DIR into a fresh PREFIX.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install into ${PREFIX} failed")
endif()
foreach(file include/callbrima/callbrima.h include/callbrima/core/QDN_status.h
             include/callbrima/xml/QDN_registerFormats.h bin/brima)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${file} is not installed")
  endif()
endforeach()
file(GLOB config ${PREFIX}/lib*/cmake/callbrima/callbrimaConfig.cmake)
if(NOT config)
  message(FATAL_ERROR "callbrimaConfig.cmake is not installed")
endif()
