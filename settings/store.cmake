# The settings store, the data folder and file list, portable use.
set(store_dir ${CMAKE_CURRENT_LIST_DIR})
set(store_sources U_QuorvelFct.cpp RegHive.cpp U_OstrinUtils.cpp FileListFile.cpp ProfileFile.cpp AppLifecycle.cpp
                  ProfileText.cpp MachineHive.cpp)
set(store_platform U_QuorvelFct Registry AtomicFile U_UnicodeUtils U_OstrinUtils ProfileFile)
if(WIN32)
  list(TRANSFORM store_platform APPEND _win32.cpp)
else()
  list(TRANSFORM store_platform APPEND _posix.cpp)
  list(APPEND store_platform HiveFiles_posix.cpp)
endif()
list(APPEND store_sources ${store_platform})
list(TRANSFORM store_sources PREPEND ${store_dir}/)
add_library(quorvel_settings STATIC ${store_sources})
target_link_libraries(quorvel_settings PUBLIC quorvel_core quorvel_log PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_settings PUBLIC advapi32 shell32 ole32)
endif()

if(NOT WIN32)
  # Writes the uninstaller entry of an installation into its machine hive;
  # the install rules and the .deb run it.
  add_executable(quorvel_write_machine_hive ${store_dir}/WriteMachineHiveMain.cpp)
  target_link_libraries(quorvel_write_machine_hive PRIVATE quorvel_settings quorvel_options)
endif()
