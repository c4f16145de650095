# The 64-bit Windows build, shipped beside the 32-bit one; its tests run under wine64.
set(NETVANE_WINDOWS_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
