# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

# Directories made by the installation are 0755, not group-writable under a umask of 002;
# the mode still passes through the umask, so package.sh packages under umask 022.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

foreach(program cvdmxmap cvdmx-sim cvdmxmap-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped installation (cmake --install --strip, CPack) also drops the compiler's
    # .comment and .note sections, as Debian's dh_strip does.
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endif()
endforeach()

install(FILES desktop/cvdmxmap.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The program's icon, also as the icon of its map files' type.
foreach(size 32 64 128 256)
  install(FILES desktop/icons/cvdmxmap-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME cvdmxmap.png)
  install(FILES desktop/icons/cvdmxmap-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes
          RENAME application-x-cvdmxmap.png)
endforeach()
# The type of map files (*.CVX), which the desktop entry opens. Debian's shared-mime-info
# updates its database when a package puts a file here.
install(FILES desktop/cvdmxmap-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME cvdmxmap.xml)
# bash-completion loads a command's completion from here when it is first completed.
install(FILES desktop/completion/cvdmxmap-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The metainfo's newest release has to be this version.
file(STRINGS desktop/org.example.cvdmxmap.metainfo.xml cvdmx_release REGEX "<release " LIMIT_COUNT 1)
if(NOT cvdmx_release MATCHES "<release version=\"${PROJECT_VERSION}\" ")
  message(FATAL_ERROR "desktop/org.example.cvdmxmap.metainfo.xml: the newest release is not "
                      "${PROJECT_VERSION}: add one for this version")
endif()
install(FILES desktop/org.example.cvdmxmap.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog go in compressed as Debian wants them: gzip -9n, so the
# same text always gives the same bytes.
find_program(CVDMX_GZIP gzip REQUIRED)
set(cvdmx_gzipped)
foreach(source docs/man/cvdmxmap.1 docs/man/cvdmxmap-cli.1 docs/man/cvdmx-sim.1 cmake/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/gz/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${copy}
    COMMAND ${CVDMX_GZIP} -9nf ${copy}
    DEPENDS ${source} VERBATIM)
  list(APPEND cvdmx_gzipped ${copy}.gz)
endforeach()
add_custom_target(cvdmx_gzipped ALL DEPENDS ${cvdmx_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/gz/cvdmxmap.1.gz ${CMAKE_CURRENT_BINARY_DIR}/gz/cvdmxmap-cli.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/gz/cvdmx-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian copyright file (machine-readable format) and the changelog, whose newest
# entry has to be this version.
file(STRINGS cmake/debian/changelog cvdmx_changelog_top LIMIT_COUNT 1)
if(NOT cvdmx_changelog_top MATCHES "^cvdmxmap \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog: the newest entry is not ${PROJECT_VERSION}: "
                      "add one for this version")
endif()
install(FILES cmake/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/gz/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES samples/Stage.CVX samples/Stage-labelled.CVX samples/Stage-labelled.csv DESTINATION ${CMAKE_INSTALL_DOCDIR}/samples)

set(CPACK_PACKAGE_NAME cvdmxmap)
set(CPACK_PACKAGE_VENDOR "QRT Corvanta DMX Map developers")
set(CPACK_PACKAGE_CONTACT "QRT Corvanta DMX Map developers <cvdmxmap@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DMX output map editor for QRT Corvanta dimmer controllers")
# Lines of the long description stay within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Shows the 512 channels of a DMX-512 universe and the dimmer output each\n"
       "one drives, edits and stores the map as a 1028-byte .CVX file, and\n"
       "downloads it to a controller over a serial port, verified by the\n"
       "controller's checksum.\n"
       "Includes cvdmxmap-cli, whose commands work without a window: show,\n"
       "checksum, download, verify, revision, diff, check, import, sheet and\n"
       "ports; and cvdmx-sim, a controller simulator on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The windows draw in DejaVu Sans. The xcb and offscreen platform plugins come with
# libqt6gui6 on Debian 12.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# dpkg-shlibdeps adds the Qt libraries and the C and C++ runtime the programs link. CPack
# would quietly leave them out without it, or without file; cmake/debian/CPackChecks.cmake
# stops the package step instead, so that Depends is the same on every machine.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/CPackChecks.cmake)
include(CPack)
