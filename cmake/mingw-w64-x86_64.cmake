# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads).
#
#     cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#           -DSORVIK_WIN_DEPS=/path/to/prefix;/another/prefix ...
#
# SORVIK_WIN_DEPS lists the prefixes the Windows builds of the dependencies
# were installed into; their libraries, headers, CMake packages and
# pkg-config files are the only ones found. Programs are linked statically,
# so an .exe needs no DLL beside it. Tests run under Wine when it is there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)
set(CMAKE_AR ${_triplet}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triplet}-gcc-ranlib-posix CACHE FILEPATH "")

# Passed on to try_compile projects, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SORVIK_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${_triplet} ${SORVIK_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the dependencies' own .pc files, and with --static
# the libraries those need in turn.
set(_pc_dirs)
foreach(_prefix IN LISTS SORVIK_WIN_DEPS)
  list(APPEND _pc_dirs ${_prefix}/lib/pkgconfig ${_prefix}/share/pkgconfig)
endforeach()
string(REPLACE ";" ":" _pc_path "${_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${_pc_path}")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(_wine NAMES wine wine64)
if(_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_wine})
endif()
