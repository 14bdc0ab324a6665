# Packages: a Debian package of the Linux build (the command, its manual page, its bash
# completion, the README, changelog and copyright), and a zip of the Windows program with the
# README.
#
# Installing (and so CPack) builds nothing by itself: scripts/package.sh and tests/package build
# exactly what the packages hold (target package_contents; lorvex alone for Windows), in parallel, instead
# of the whole tree with its tests and the Windows build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(LORVEX_PACKAGE_CONTACT "lorvex developers <lorvex@lorvex.example>"
    CACHE STRING "Maintainer of the packages (name <mail address>)")
set(CPACK_PACKAGE_NAME lorvex)
set(CPACK_PACKAGE_VENDOR "lorvex developers")
set(CPACK_PACKAGE_CONTACT "${LORVEX_PACKAGE_CONTACT}")
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
  add_custom_target(manpage ALL DEPENDS ${manpage}.gz)

  # The bash completion, written from the program's own tables of words.
  add_executable(make_completion ${CMAKE_SOURCE_DIR}/packaging/make_completion.cc)
  target_link_libraries(make_completion PRIVATE lorvex_core lorvex_ldap lorvex_core)
  set(completion ${CMAKE_BINARY_DIR}/lorvex.bash-completion)
  add_custom_command(OUTPUT ${completion}
    COMMAND make_completion ${CMAKE_SOURCE_DIR}/packaging/lorvex.bash ${completion}
    DEPENDS make_completion ${CMAKE_SOURCE_DIR}/packaging/lorvex.bash
    COMMENT "Writing the bash completion")
  add_custom_target(completion ALL DEPENDS ${completion})

  # A native package's changelog, compressed as Debian wants it.
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog >${changelog}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the changelog")
  add_custom_target(changelog ALL DEPENDS ${changelog})

  # Everything the Debian package holds: what scripts/package.sh and the package test build.
  add_custom_target(package_contents)
  add_dependencies(package_contents lorvex manpage completion changelog)

  install(FILES ${manpage}.gz DESTINATION share/man/man1)
  install(FILES ${completion} DESTINATION share/bash-completion/completions RENAME lorvex)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${changelog}
          DESTINATION share/doc/lorvex)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The libraries come from shlibdeps; the directory is reached with Kerberos through Cyrus SASL's
  # GSSAPI mechanism, a plugin no library dependency brings. kinit and klist get and show tickets.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsasl2-modules-gssapi-mit")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "krb5-user")
  # The extended description is the README's first paragraph after its title.
  file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
  string(REGEX MATCH "\n\n([^\n]+\n)+" description "${readme}")
  string(STRIP "${description}" description)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")
endif()
include(CPack)
