# MinGW-w64 cross toolchain (x86_64).
set(QUORVEL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
