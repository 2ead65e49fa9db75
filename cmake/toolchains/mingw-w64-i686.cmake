# The 32-bit tqxml.dll, for the 32-bit host.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TQXML_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
