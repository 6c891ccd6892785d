# What both mingw-w64 toolchains share: compilers by triple, search paths limited to the target's
# sysroot, and Wine as the emulator that lets ctest run the cross-built tests.
set(CMAKE_C_COMPILER ${VISTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VISTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VISTREL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VISTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
get_filename_component(VISTREL_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VISTREL_SOURCE_ROOT}/tests/win32/wine-run.sh)
# GCC 12 reports a false -Wrestrict inside std::string's inlined concatenation at -O2 (GCC bug
# 105651); it says nothing about our code and would stop the -Werror build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
