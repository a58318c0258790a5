# Version numbers, the own-version resolution and the version-resource reader.
add_library(quorvel_version STATIC U_Version.cpp PeVersionReader.cpp FileVersion.cpp
                                   U_LortexFct.cpp)
quorvel_platform_sources(quorvel_version FileVersion)
target_link_libraries(quorvel_version PUBLIC quorvel_core quorvel_settings PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_version PUBLIC version)
endif()
