# CPack: `cpack -G DEB` in the build folder makes a Debian package of the
# programs, man pages, completion, manual and examples, installed under /usr.
set(CPACK_PACKAGE_NAME celvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Celvane developers <celvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "discrete-event simulator of ATM networks")
set(CPACK_PACKAGE_DESCRIPTION
    "Celvane builds networks of ATM terminals, switches and applications from console
commands or scripts, simulates the cells they exchange, and writes statistics
files and a run record of every run. celvane-sweep runs replicated parameter
sweeps through GNU parallel; celvane-plot draws the results with gnuplot.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)  # as Debian ships programs
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The shared libraries' packages, where dpkg-shlibdeps can tell them.
find_program(CELVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(CELVANE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libsqlite3-0")
endif()
# The experiment tools run them; celvane itself needs neither.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnuplot-nox, parallel")
include(CPack)
