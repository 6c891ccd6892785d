# The Windows installer and zip (included by packaging/CMakeLists.txt). Both ship the same files
# from one staging directory: Vistrel.exe stripped of its symbols, and readme.txt.
#   target vistrel_installer    stage/ and Vistrel-<version>-setup.exe (makensis, NSIS)
#   cpack -G ZIP                Vistrel-<version>-win64.zip from stage/ (after the target)
set(stage ${CMAKE_CURRENT_BINARY_DIR}/stage)
set(readme ${PROJECT_SOURCE_DIR}/resources/readme.txt)
# The version resource's form of the version: major.minor.0.patch.
set(version4 "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")
set(installer ${CMAKE_BINARY_DIR}/Vistrel-${PROJECT_VERSION}-setup.exe)

find_program(VISTREL_MAKENSIS makensis)
add_custom_command(
  OUTPUT ${stage}/Vistrel.exe ${stage}/readme.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_STRIP} -o ${stage}/Vistrel.exe $<TARGET_FILE:Vistrel>
  COMMAND ${CMAKE_COMMAND} -E copy ${readme} ${stage}/readme.txt
  DEPENDS Vistrel ${readme}
  VERBATIM)
add_custom_command(
  OUTPUT ${installer}
  COMMAND ${VISTREL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DVERSION4=${version4}
          "-DPUBLISHER=${VISTREL_PUBLISHER}" -DHOMEPAGE=${VISTREL_HOMEPAGE} -DSTAGE=${stage}
          -DICON=${PROJECT_SOURCE_DIR}/resources/magnifier.ico -DOUTFILE=${installer}
          ${CMAKE_CURRENT_SOURCE_DIR}/vistrel.nsi
  DEPENDS ${stage}/Vistrel.exe ${stage}/readme.txt ${CMAKE_CURRENT_SOURCE_DIR}/vistrel.nsi
          ${PROJECT_SOURCE_DIR}/resources/magnifier.ico
  COMMENT "Making the installer ${installer}"
  VERBATIM)
add_custom_target(vistrel_installer DEPENDS ${installer})

install(FILES ${stage}/Vistrel.exe ${stage}/readme.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vistrel)
set(CPACK_PACKAGE_VENDOR "${VISTREL_PUBLISHER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vistrel-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
