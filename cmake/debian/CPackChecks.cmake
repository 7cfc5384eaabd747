# Run by cpack before it makes a package. The Debian package's Depends comes from
# dpkg-shlibdeps, which CPack runs only when file is there too: without either the
# package would name only part of what it needs.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(tool dpkg-shlibdeps file)
    find_program(cvdmx_found_${tool} ${tool})
    if(NOT cvdmx_found_${tool})
      message(FATAL_ERROR "${tool} is missing: install dpkg-dev and file (scripts/package.sh does) "
                          "before making the package")
    endif()
  endforeach()
endif()
