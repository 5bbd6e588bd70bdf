# Windows programs from Debian's mingw-w64 for MINGW_ARCH (posix thread model), with the runtime
# linked in so that the .exe needs nothing beside it. Tests run under Wine, through WINE_LOADER.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(CMAKE_C_COMPILER ${MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Terminal-server aware: on a Remote Desktop host every session then shares the one Windows
# directory, and so the one box file, instead of a private one per user.
set(CMAKE_EXE_LINKER_FLAGS_INIT
  "-static -static-libgcc -static-libstdc++ -Wl,--tsaware ${MINGW_LINKER_FLAGS}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh ${WINE_LOADER})
# GCC 12 warns falsely about overlapping copies in std::string concatenation at -O3.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
