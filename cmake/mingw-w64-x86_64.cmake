# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# compilers: std::thread needs them). Programs are run through Wine (by a
# script that starts again a program Wine failed to start), so that test
# discovery and other build-time runs work on the build machine.
# Further folders holding Windows libraries (Qt, GoogleTest) are given as
# -DCMAKE_FIND_ROOT_PATH=...; the MinGW sysroot is added here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TW_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TW_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TW_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TW_MINGW}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TW_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-run.sh)
