# Packages: a Debian package of the Linux build with its manual page, and a zip of the Windows
# program with the README.
set(CPACK_PACKAGE_NAME lorvex)
set(CPACK_PACKAGE_VENDOR "lorvex developers")
set(CPACK_PACKAGE_CONTACT "lorvex developers <lorvex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Account restrictions of Active Directory users, computers and groups")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
if(WIN32)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME lorvex-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(manpage ${CMAKE_BINARY_DIR}/lorvex.1)
  add_custom_command(OUTPUT ${manpage}.gz
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-manpage.sh $<TARGET_FILE:lorvex> ${CMAKE_SOURCE_DIR}/README.md
            ${manpage} ${PROJECT_VERSION}
    COMMAND gzip -9nf ${manpage}
    DEPENDS lorvex ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/scripts/make-manpage.sh
    COMMENT "Writing the manual page")
  add_custom_target(manpage DEPENDS ${manpage}.gz)
  # Built by scripts/package.sh before CPack runs.
  install(FILES ${manpage}.gz DESTINATION share/man/man1 OPTIONAL)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/lorvex)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
