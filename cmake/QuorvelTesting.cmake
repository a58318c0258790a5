# Test registration shared by every folder under tests/.
#
#   quorvel_add_gtest(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...])
#     one GoogleTest program, registered as one CTest test. Cross-built tests run
#     under Wine through the target's emulator, after the prefix fixture.
#   quorvel_register_test(NAME COMMAND ...) for tests that are not GoogleTest.

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(QUORVEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  math(EXPR QUORVEL_WINE_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-init.sh.in ${CMAKE_BINARY_DIR}/wine-init.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run.sh")
  add_test(NAME wine_prefix_setup COMMAND ${CMAKE_BINARY_DIR}/wine-init.sh)
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
  add_test(NAME wine_prefix_cleanup COMMAND sh -c "wineserver -k 2>/dev/null || true")
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix
                       ENVIRONMENT "WINEPREFIX=${QUORVEL_WINEPREFIX}")
  set(QUORVEL_UNDER_WINE ON)
else()
  set(QUORVEL_UNDER_WINE OFF)
endif()

function(quorvel_register_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "COMMAND;LABELS;ENVIRONMENT" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  if(QUORVEL_UNDER_WINE)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()

function(quorvel_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main quorvel_options)
  set(extra)
  if(ARG_TIMEOUT)
    list(APPEND extra TIMEOUT ${ARG_TIMEOUT})
  endif()
  if(ARG_LABELS)
    list(APPEND extra LABELS ${ARG_LABELS})
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND extra ENVIRONMENT ${ARG_ENVIRONMENT})
  endif()
  quorvel_register_test(${name} COMMAND ${name} ${extra})
endfunction()
