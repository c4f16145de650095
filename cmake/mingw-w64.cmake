# Cross build for Windows with MinGW-w64; test binaries run under Wine. Included by
# mingw-i686.cmake and mingw-x86_64.cmake, which set NETVANE_WINDOWS_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${NETVANE_WINDOWS_ARCH})
set(triplet ${NETVANE_WINDOWS_ARCH}-w64-mingw32)

# The -posix compilers: the -win32 ones bring a libstdc++ without std::thread.
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every cross-built program that CTest runs goes through Wine of the matching width.
if(NETVANE_WINDOWS_ARCH STREQUAL "x86_64")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;win64)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;win32)
endif()
