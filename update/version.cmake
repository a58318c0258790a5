# Version numbers, the own-version resolution and the version-resource reader.
if(WIN32)
  set(quorvel_version_platform FileVersion_win32.cpp)
else()
  set(quorvel_version_platform FileVersion_posix.cpp)
endif()
add_library(quorvel_version STATIC U_Version.cpp)
target_include_directories(quorvel_version PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quorvel_version PUBLIC quorvel_core PRIVATE quorvel_options)
