# The WebAssembly build (the page in web/): Emscripten's own toolchain file,
# from $EMSCRIPTEN or, as Debian installs it, /usr/share/emscripten.
if(DEFINED ENV{EMSCRIPTEN} AND EXISTS "$ENV{EMSCRIPTEN}/cmake/Modules/Platform/Emscripten.cmake")
  set(TQXML_EMSCRIPTEN_ROOT "$ENV{EMSCRIPTEN}")
else()
  set(TQXML_EMSCRIPTEN_ROOT /usr/share/emscripten)
endif()
if(NOT EXISTS "${TQXML_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "Emscripten not found: install Debian's emscripten package, or set "
                      "EMSCRIPTEN to the folder that holds emcc.py")
endif()
include("${TQXML_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
