# The environment probe: the facts of the start-up log block.
add_library(quorvel_envprobe STATIC ${CMAKE_CURRENT_LIST_DIR}/EnvProbe.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/versionhelpers.cpp)
quorvel_platform_sources(quorvel_envprobe EnvProbe versionhelpers)
target_link_libraries(quorvel_envprobe PUBLIC quorvel_settings quorvel_log quorvel_core
                      PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_envprobe PUBLIC netapi32 advapi32)
endif()
