# Cross build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix). The executables are linked statically, so they
# need no DLL beyond those of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FIELD_MINGW_PREFIX x86_64-w64-mingw32)
# The -posix compilers bring the thread support that GoogleTest needs.
set(CMAKE_C_COMPILER ${FIELD_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FIELD_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${FIELD_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FIELD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# With Wine installed, CTest runs the Windows test executables through it.
find_program(FIELD_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(FIELD_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FIELD_WINE})
endif()
