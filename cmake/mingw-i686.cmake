# The 32-bit Windows build: the product.
set(NETVANE_WINDOWS_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
