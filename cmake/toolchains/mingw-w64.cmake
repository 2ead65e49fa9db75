# Cross-building for Windows with Debian's mingw-w64 (package mingw-w64).
# Included by the two width-specific files, which set TQXML_MINGW_TRIPLE.
# The "-posix" compilers carry the standard library's threads and mutexes
# (over winpthreads, linked in statically by the targets).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TQXML_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TQXML_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TQXML_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${TQXML_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TQXML_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
