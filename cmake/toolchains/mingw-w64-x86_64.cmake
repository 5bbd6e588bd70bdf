# 64-bit Windows programs.
set(MINGW_ARCH x86_64)
set(WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
