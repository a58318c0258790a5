# The certificates of the system's store (Windows) or of the PKCS#11 tokens
# registered with p11-kit (Linux), for the certificate picker, the check
# before a batch and the Linux signing tool.
add_library(quorvel_certstore STATIC ${CMAKE_CURRENT_LIST_DIR}/CertStore.cpp)
quorvel_platform_sources(quorvel_certstore CertStore)
if(WIN32)
  target_link_libraries(quorvel_certstore PRIVATE crypt32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(P11KIT REQUIRED IMPORTED_TARGET p11-kit-1)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  target_link_libraries(quorvel_certstore PRIVATE PkgConfig::P11KIT OpenSSL::Crypto)
endif()
target_link_libraries(quorvel_certstore PRIVATE quorvel_signing quorvel_options)
