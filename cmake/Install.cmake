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
foreach(size 32 64 128 256)
  install(FILES desktop/icons/cvdmxmap-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME cvdmxmap.png)
endforeach()
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
       "Includes cvdmxmap-cli for scripted downloads and checks, and cvdmx-sim,\n"
       "a controller simulator on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The windows draw in DejaVu Sans. The xcb and offscreen platform plugins come with
# libqt6gui6 on Debian 12.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# dpkg-shlibdeps (CPack runs it only when "file" is there too) finds the Qt libraries
# and the C and C++ runtime the programs link; without it the Qt libraries are named here.
find_program(CVDMX_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(CVDMX_FILE file)
if(CVDMX_DPKG_SHLIBDEPS AND CVDMX_FILE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4)")
endif()
include(CPack)
