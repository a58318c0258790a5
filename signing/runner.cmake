# The signing engine's core: the tool's command line, running it and
# capturing its output, and one file's lines in the log pane.
if(WIN32)
  set(signing_platform CommandRunner_win32.cpp PathCarrier_win32.cpp)
else()
  set(signing_platform CommandRunner_posix.cpp PathCarrier_posix.cpp)
endif()
add_library(quorvel_signing STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SigningSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLineSplit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignOneFile.cpp)
list(TRANSFORM signing_platform PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
target_sources(quorvel_signing PRIVATE ${signing_platform})
target_link_libraries(quorvel_signing PUBLIC quorvel_core PRIVATE quorvel_options)
