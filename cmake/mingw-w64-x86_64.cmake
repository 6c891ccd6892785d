# Cross-builds the Windows program with 64-bit mingw-w64 (the -posix compilers: the default
# thread model has no std::mutex, which GoogleTest needs). Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VISTREL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
