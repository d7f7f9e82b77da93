# Cross-building Vela for 64-bit Windows with Debian's MinGW-w64 compiler,
# in its POSIX-threads variant (the win32 variant has no std::thread):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# scripts/build-windows.sh does this and more.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${VELA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "archiver")
set(CMAKE_RANLIB ${VELA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "ranlib")
set(CMAKE_NM ${VELA_MINGW_TRIPLET}-nm CACHE FILEPATH "nm")

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: without -static it needs three MinGW DLLs
# (libstdc++, libgcc, winpthread) and, under Wine, exits without a word
# when they are missing.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Release programs without their symbol tables: half the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs, test discovery and the examples run under Wine, in a prefix
# of the build's own (cmake/run-under-wine.sh).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
endif()
