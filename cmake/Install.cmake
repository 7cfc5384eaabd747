# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

foreach(program cvdmxmap cvdmx-sim cvdmxmap-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES desktop/cvdmxmap.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 32 64 128 256)
  install(FILES desktop/icons/cvdmxmap-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME cvdmxmap.png)
endforeach()
install(FILES docs/man/cvdmxmap.1 docs/man/cvdmxmap-cli.1 docs/man/cvdmx-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES samples/Stage.CVX DESTINATION ${CMAKE_INSTALL_DOCDIR}/samples)

set(CPACK_PACKAGE_NAME cvdmxmap)
set(CPACK_PACKAGE_VENDOR "QRT Corvanta DMX Map developers")
set(CPACK_PACKAGE_CONTACT "QRT Corvanta DMX Map developers <cvdmxmap@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DMX output map editor for QRT Corvanta dimmer controllers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Shows the 512 channels of a DMX-512 universe and the dimmer output each one\n"
       "drives, edits and stores the map as a 1028-byte .CVX file, and downloads it to a\n"
       "controller over a serial port, verified by the controller's checksum.\n"
       "Includes cvdmxmap-cli for scripted downloads and checks, and cvdmx-sim, a\n"
       "controller simulator on a pseudo-terminal.")
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
