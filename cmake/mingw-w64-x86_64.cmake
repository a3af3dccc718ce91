# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so std::thread works).
# Used both to build Qt for Windows (scripts/build-qt-windows) and to build Bytescope against it.
# The Qt prefix comes from BYTESCOPE_QT_WINDOWS (cache variable or environment), when set.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

if(NOT BYTESCOPE_QT_WINDOWS AND DEFINED ENV{BYTESCOPE_QT_WINDOWS})
    set(BYTESCOPE_QT_WINDOWS "$ENV{BYTESCOPE_QT_WINDOWS}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(BYTESCOPE_QT_WINDOWS)
    list(APPEND CMAKE_FIND_ROOT_PATH "${BYTESCOPE_QT_WINDOWS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
