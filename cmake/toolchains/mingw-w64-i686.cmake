# 32-bit Windows programs.
set(MINGW_ARCH i686)
set(WINE_LOADER wine)
# The header asks for Windows XP (5.1), the oldest Windows the program runs on, and no later one.
set(MINGW_LINKER_FLAGS
  "-Wl,--major-os-version,5,--minor-os-version,1,--major-subsystem-version,5,--minor-subsystem-version,1")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
