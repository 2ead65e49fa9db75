# Builds the native commands that the page's browser tests compare it with
# (the tool, the job generator, the host and the shared library), in the
# default build unless told otherwise, configuring that build first when it
# has never been configured. Run by the web tests' first test:
#   cmake -DSOURCE_DIR=... -DNATIVE_DIR=... -P native_tools.cmake
if(NOT EXISTS "${NATIVE_DIR}/CMakeCache.txt")
  if(NATIVE_DIR STREQUAL "${SOURCE_DIR}/build")
    set(configure ${CMAKE_COMMAND} --preset default)
  else()
    set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${NATIVE_DIR} -G Ninja
                  -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  endif()
  execute_process(COMMAND ${configure} WORKING_DIRECTORY ${SOURCE_DIR} COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${NATIVE_DIR} --parallel 2
                        --target tqxml_tool tqxml_genjob tqxml_host tqxml_shared
                COMMAND_ERROR_IS_FATAL ANY)
