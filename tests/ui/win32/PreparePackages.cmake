# Builds the installer and the portable zip of this build tree and unpacks the
# zip, for the packages test:  cmake -DBUILD_DIR=... -DZIP=... -DUNPACK_DIR=... -P
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR}
                        --target quorvel_installer quorvel_portable_zip
                RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "building the packages failed")
endif()
file(REMOVE_RECURSE ${UNPACK_DIR})
file(MAKE_DIRECTORY ${UNPACK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${UNPACK_DIR}
                RESULT_VARIABLE unpacked)
if(NOT unpacked EQUAL 0 OR NOT EXISTS ${UNPACK_DIR}/Quorvel.exe)
  message(FATAL_ERROR "unpacking ${ZIP} failed")
endif()
file(GLOB contents RELATIVE ${UNPACK_DIR} ${UNPACK_DIR}/*)
if(NOT contents STREQUAL "Quorvel.exe")
  message(FATAL_ERROR "the portable zip holds more than Quorvel.exe: ${contents}")
endif()
