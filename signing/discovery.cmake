# Finding the signing tool at start-up: the portable search over a platform
# listing of the SDK folder.
add_library(quorvel_discovery STATIC ${CMAKE_CURRENT_LIST_DIR}/SignToolDiscovery.cpp)
quorvel_platform_sources(quorvel_discovery SignToolDiscovery)
target_link_libraries(quorvel_discovery PRIVATE quorvel_options)
