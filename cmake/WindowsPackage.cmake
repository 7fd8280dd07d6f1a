# The Windows packages, built by the target windows-package:
#   Sorvik-Setup-VERSION.exe    the installer (NSIS, per-user, /S for silent)
#   Sorvik-VERSION-win64.zip    the same files in a folder, for a portable use
# Both hold sorvik.exe, sorvik-tracker.exe and sorvik-cli.exe, stripped, the
# tracker's daily-check script sorvik-check.cmd, config.txt and
# wxWidgets' Simplified Chinese catalog zh_CN/wxstd-3.2.mo (the texts of the
# toolkit's own dialogs), taken from Debian's wx3.2-i18n of the same version.
find_program(SORVIK_MAKENSIS makensis REQUIRED)
set(SORVIK_WX_CATALOG /usr/share/locale/zh_CN/LC_MESSAGES/wxstd-3.2.mo CACHE FILEPATH
  "wxWidgets' Simplified Chinese catalog, shipped beside the programs")
if(NOT EXISTS ${SORVIK_WX_CATALOG})
  message(FATAL_ERROR "${SORVIK_WX_CATALOG} is missing: install wx3.2-i18n (scripts/install-deps)")
endif()
find_program(SORVIK_ZIP zip REQUIRED)

set(stage ${CMAKE_BINARY_DIR}/package/Sorvik)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(installer ${CMAKE_BINARY_DIR}/Sorvik-Setup-${PROJECT_VERSION}.exe)
set(portable ${CMAKE_BINARY_DIR}/Sorvik-${PROJECT_VERSION}-win64.zip)

add_custom_command(
  OUTPUT ${installer} ${portable}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_STRIP} -o ${stage}/sorvik.exe $<TARGET_FILE:sorvik>
  COMMAND ${CMAKE_STRIP} -o ${stage}/sorvik-tracker.exe $<TARGET_FILE:sorvik-tracker>
  COMMAND ${CMAKE_STRIP} -o ${stage}/sorvik-cli.exe $<TARGET_FILE:sorvik-cli>
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/tracker_app/res/sorvik-check.cmd
          ${stage}/sorvik-check.cmd
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/config.txt ${stage}/config.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/zh_CN
  COMMAND ${CMAKE_COMMAND} -E copy ${SORVIK_WX_CATALOG} ${stage}/zh_CN/wxstd-3.2.mo
  COMMAND ${SORVIK_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
          -DOUTFILE=${installer} ${CMAKE_SOURCE_DIR}/app/res/sorvik-setup.nsi
  COMMAND ${CMAKE_COMMAND} -E rm -f ${portable}
  COMMAND ${SORVIK_ZIP} -q -r -X ${portable} Sorvik
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
  DEPENDS sorvik sorvik-tracker sorvik-cli ${CMAKE_SOURCE_DIR}/config.txt ${SORVIK_WX_CATALOG}
          ${CMAKE_SOURCE_DIR}/tracker_app/res/sorvik-check.cmd
          ${CMAKE_SOURCE_DIR}/app/res/sorvik-setup.nsi ${CMAKE_SOURCE_DIR}/app/res/sorvik.ico
  COMMENT "Packaging Sorvik ${PROJECT_VERSION} for Windows"
  VERBATIM)
add_custom_target(windows-package DEPENDS ${installer} ${portable})
