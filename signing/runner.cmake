# The signing engine's core: the tool's command line, running it and
# capturing its output, and one file's lines in the log pane.
add_library(quorvel_signing STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SigningSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLineSplit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignOneFile.cpp)
quorvel_platform_sources(quorvel_signing CommandRunner PathCarrier)
target_link_libraries(quorvel_signing PUBLIC quorvel_core PRIVATE quorvel_options)
