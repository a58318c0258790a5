# The settings store, the data folder and file list, portable use.
set(store_dir ${CMAKE_CURRENT_LIST_DIR})
set(store_sources U_QuorvelFct.cpp RegHive.cpp U_OstrinUtils.cpp FileListFile.cpp ProfileFile.cpp AppLifecycle.cpp
                  ProfileText.cpp MachineHive.cpp)
list(TRANSFORM store_sources PREPEND ${store_dir}/)
add_library(quorvel_settings STATIC ${store_sources})
quorvel_platform_sources(quorvel_settings U_QuorvelFct Registry AtomicFile U_UnicodeUtils
                         U_OstrinUtils ProfileFile)
target_link_libraries(quorvel_settings PUBLIC quorvel_core quorvel_log PRIVATE quorvel_options)
if(WIN32)
  target_link_libraries(quorvel_settings PUBLIC advapi32 shell32 ole32)
else()
  # The hive files behind the registry accessor.
  target_sources(quorvel_settings PRIVATE ${store_dir}/HiveFiles_posix.cpp)

  # Writes the uninstaller entry of an installation into its machine hive;
  # the install rules and the .deb run it.
  add_executable(quorvel_write_machine_hive ${store_dir}/WriteMachineHiveMain.cpp)
  target_link_libraries(quorvel_write_machine_hive PRIVATE quorvel_settings quorvel_options)
endif()
