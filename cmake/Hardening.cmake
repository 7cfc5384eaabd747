# The hardening flags Debian builds its packages with (dpkg-buildflags, hardening=+all),
# on the Release build the package is made from. Other builds keep their flags:
# _FORTIFY_SOURCE needs optimisation, and the sanitizer build checks on its own.
# Position-independent executables are the compiler's default on Debian.
option(CVDMX_HARDENING "Build the Release configuration with Debian's hardening flags" ON)
if(CVDMX_HARDENING AND NOT CVDMX_SANITIZE)
  set(release $<CONFIG:Release>)
  add_compile_options($<${release}:-fstack-protector-strong> $<${release}:-Werror=format-security>)
  add_compile_definitions($<${release}:_FORTIFY_SOURCE=2>)
  add_link_options($<${release}:LINKER:-z,relro> $<${release}:LINKER:-z,now>)
  unset(release)
endif()
