# The Windows installer (NSIS) and the portable zip, each from a stripped copy
# of Quorvel.exe. Neither is part of the default build:
#   cmake --build <tree> --target quorvel_installer quorvel_portable_zip
# writes <tree>/packages/Quorvel-<version>-setup.exe and -portable.zip.

find_program(QUORVEL_MAKENSIS makensis)
find_program(QUORVEL_ZIP zip)

set(package_dir ${CMAKE_BINARY_DIR}/packages)
set(stage_dir ${CMAKE_BINARY_DIR}/packages/stage)
set(QUORVEL_PACKAGED_EXE ${stage_dir}/Quorvel.exe)
set(QUORVEL_INSTALLER_PATH ${package_dir}/Quorvel-${QUORVEL_FILE_VERSION_STRING}-setup.exe)
set(QUORVEL_PORTABLE_ZIP ${package_dir}/Quorvel-${QUORVEL_FILE_VERSION_STRING}-portable.zip)
set(QUORVEL_INSTALLER_PATH ${QUORVEL_INSTALLER_PATH} PARENT_SCOPE)
set(QUORVEL_PORTABLE_ZIP ${QUORVEL_PORTABLE_ZIP} PARENT_SCOPE)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # A 32-bit installer does not run under a 64-bit-only Wine.
  set(QUORVEL_NSIS_TARGET amd64-unicode)
  set(QUORVEL_NSIS_PROGRAM_FILES "$PROGRAMFILES64")
else()
  set(QUORVEL_NSIS_TARGET x86-unicode)
  set(QUORVEL_NSIS_PROGRAM_FILES "$PROGRAMFILES")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Quorvel.nsi.in ${package_dir}/Quorvel.nsi @ONLY)

add_custom_command(
  OUTPUT ${QUORVEL_PACKAGED_EXE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage_dir}
  COMMAND ${CMAKE_STRIP} -o ${QUORVEL_PACKAGED_EXE} $<TARGET_FILE:Quorvel>
  DEPENDS Quorvel
  COMMENT "Stripping Quorvel.exe for the packages")

if(QUORVEL_MAKENSIS)
  add_custom_command(
    OUTPUT ${QUORVEL_INSTALLER_PATH}
    COMMAND ${QUORVEL_MAKENSIS} -V2 -NOCD ${package_dir}/Quorvel.nsi
    DEPENDS ${QUORVEL_PACKAGED_EXE} ${package_dir}/Quorvel.nsi
    WORKING_DIRECTORY ${package_dir}
    COMMENT "Building the installer ${QUORVEL_INSTALLER_PATH}")
  add_custom_target(quorvel_installer DEPENDS ${QUORVEL_INSTALLER_PATH})
endif()

if(QUORVEL_ZIP)
  # The program alone: portable use keeps its settings in settings.ini beside it.
  add_custom_command(
    OUTPUT ${QUORVEL_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${QUORVEL_PORTABLE_ZIP}
    COMMAND ${QUORVEL_ZIP} -q -j -X ${QUORVEL_PORTABLE_ZIP} ${QUORVEL_PACKAGED_EXE}
    DEPENDS ${QUORVEL_PACKAGED_EXE}
    COMMENT "Building the portable zip ${QUORVEL_PORTABLE_ZIP}")
  add_custom_target(quorvel_portable_zip DEPENDS ${QUORVEL_PORTABLE_ZIP})
endif()
