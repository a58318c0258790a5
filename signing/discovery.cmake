# Finding the signing tool at start-up: the portable search over a platform
# listing of the SDK folder.
set(discovery_dir ${CMAKE_CURRENT_LIST_DIR})
if(WIN32)
  set(discovery_platform SignToolDiscovery_win32.cpp)
else()
  set(discovery_platform SignToolDiscovery_posix.cpp)
endif()
add_library(quorvel_discovery STATIC ${discovery_dir}/SignToolDiscovery.cpp
                                     ${discovery_dir}/${discovery_platform})
target_link_libraries(quorvel_discovery PRIVATE quorvel_options)
