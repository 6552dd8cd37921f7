# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix-thread variant, which has
# std::thread). Programs are linked statically, so they run under Wine without any of the compiler's DLLs.
# KORVANE_WINDOWS_DEPS names the prefix that scripts/build-windows-deps filled (FreeType, GLEW, GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_AR ${triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${triplet}-ranlib CACHE FILEPATH "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows 7 and later: _TrackMouseEvent, the file and time calls used here.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triplet})
if(KORVANE_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KORVANE_WINDOWS_DEPS})
  list(APPEND CMAKE_PREFIX_PATH ${KORVANE_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GLEW is built as a static library (GLEW_STATIC).
set(GLEW_USE_STATIC_LIBS ON CACHE BOOL "Link GLEW statically")
