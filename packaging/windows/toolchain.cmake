# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads).
# The libraries built by scripts/windows-deps live under RESIDUE_WIN_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tool_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tool_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tool_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${tool_prefix}-windres)
set(CMAKE_AR ${tool_prefix}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${tool_prefix}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT RESIDUE_WIN_PREFIX)
  if(DEFINED ENV{RESIDUE_WIN_PREFIX})
    set(RESIDUE_WIN_PREFIX $ENV{RESIDUE_WIN_PREFIX})
  else()
    set(RESIDUE_WIN_PREFIX $ENV{HOME}/.cache/residue-station/win64)
  endif()
endif()
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RESIDUE_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH ${RESIDUE_WIN_PREFIX} /usr/${tool_prefix})
set(CMAKE_PREFIX_PATH ${RESIDUE_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the Windows libraries only.
set(ENV{PKG_CONFIG_LIBDIR} ${RESIDUE_WIN_PREFIX}/lib/pkgconfig:/usr/${tool_prefix}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Libraries found by name (leveldb) and their headers.
set(CMAKE_CXX_FLAGS_INIT "-isystem ${RESIDUE_WIN_PREFIX}/include")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${RESIDUE_WIN_PREFIX}/lib")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-L${RESIDUE_WIN_PREFIX}/lib")

# Test programs and build-time helpers run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
