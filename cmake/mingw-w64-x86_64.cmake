# Cross-building for 64-bit Windows with Debian's MinGW-w64 (POSIX threads).
# scripts/build-windows.sh passes this file and the folder of the static
# wxWidgets for MSW it built (QUILLON_WX_PREFIX).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw} ${QUILLON_WX_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable each, with nothing of MinGW's to ship beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)
set(wxWidgets_CONFIG_EXECUTABLE ${QUILLON_WX_PREFIX}/bin/wx-config)
# The cached build may have moved with its checkout.
set(wxWidgets_CONFIG_OPTIONS --prefix=${QUILLON_WX_PREFIX})
