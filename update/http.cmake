# The HTTP client with run-time-loaded OpenSSL (quorvel_http), and the update
# checker on top of it (quorvel_update).
find_package(Threads REQUIRED)
add_library(quorvel_http STATIC HttpClient.cpp HttpClientSocket.cpp HttpResponse.cpp OpenSslLoader.cpp U_HTTP_Custo.cpp)
quorvel_platform_sources(quorvel_http HttpClientSocket OpenSslLoader ServerTrust)
target_link_libraries(quorvel_http PUBLIC quorvel_core Threads::Threads PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_http PRIVATE ws2_32 netapi32 crypt32)
else()
  target_link_libraries(quorvel_http PRIVATE ${CMAKE_DL_LIBS})
endif()

add_library(quorvel_update STATIC U_Lortex_Lite.cpp)
target_link_libraries(quorvel_update PUBLIC quorvel_http quorvel_version quorvel_log
                                     PRIVATE quorvel_options)
