# The 64-bit tqxml.dll.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TQXML_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
