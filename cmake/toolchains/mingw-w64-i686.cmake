# 32-bit Windows programs.
set(MINGW_ARCH i686)
set(WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
