# Version numbers, the own-version resolution and the version-resource reader.
if(WIN32)
  set(quorvel_version_platform FileVersion_win32.cpp)
else()
  set(quorvel_version_platform FileVersion_posix.cpp)
endif()
add_library(quorvel_version STATIC U_Version.cpp PeVersionReader.cpp FileVersion.cpp
                                   U_LortexFct.cpp ${quorvel_version_platform})
target_link_libraries(quorvel_version PUBLIC quorvel_core quorvel_settings PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_version PUBLIC version)
endif()
