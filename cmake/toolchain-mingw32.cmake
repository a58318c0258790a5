# MinGW-w64 cross toolchain (i686).
set(QUORVEL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
