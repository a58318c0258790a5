# quorvel_platform_sources(target Name...)
#   adds Name_win32.cpp (Windows) or Name_posix.cpp (elsewhere) to the target
#   for every Name, from the folder of the list file that calls it. A missing
#   file stops the build's generation, as any missing source does.
function(quorvel_platform_sources target)
  if(WIN32)
    set(suffix _win32.cpp)
  else()
    set(suffix _posix.cpp)
  endif()
  set(sources ${ARGN})
  list(TRANSFORM sources APPEND ${suffix})
  list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
  target_sources(${target} PRIVATE ${sources})
endfunction()
