# The Debian package: "cpack -G DEB" in the build folder makes brimsel_VERSION_ARCH.deb from
# the install rules of cmake/Install.cmake. scripts/package is the usual way to run it.
# With BRIMSEL_PACKAGE_TESTS, CTest in that folder checks the package it made.
option(BRIMSEL_PACKAGE_TESTS "Register the tests of the Debian package made by cpack" OFF)

find_program(BRIMSEL_DPKG dpkg)
if(BRIMSEL_DPKG)
  execute_process(COMMAND ${BRIMSEL_DPKG} --print-architecture
                  OUTPUT_VARIABLE BRIMSEL_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(BRIMSEL_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimsel)
set(CPACK_PACKAGE_VENDOR Brimsel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BRIMSEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert GEDCOM genealogy files to tab-separated tables")
# Lines under 80 columns: dpkg shows them as they are, one space in.
set(CPACK_PACKAGE_DESCRIPTION
    "Brimsel reads a GEDCOM genealogy file, checks its cross-references and
writes seven tab-separated tables: given names, family names, places,
individuals, unions, and the notes of each, ready for a database or a
spreadsheet. Every inconsistency it finds becomes a line of its message
list; nothing in the data stops a conversion.

The package holds the console program brimsel-cli and, when it was built,
the Qt 6 desktop program brimsel. brimsel-cli also turns quoted
comma-separated text into tab-separated text and rewrites the names of a
GEDCOM file as proper names.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${BRIMSEL_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(TARGET brimsel)
  # Qt finds its window-system plugin at run time; dpkg-shlibdeps cannot see that need.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
include(CPack)

if(BRIMSEL_PACKAGE_TESTS)
  enable_testing()
  set(BRIMSEL_DEB ${PROJECT_BINARY_DIR}/brimsel_${PROJECT_VERSION}_${BRIMSEL_DEB_ARCH}.deb)
  if(TARGET brimsel)
    set(BRIMSEL_DEB_GUI gui)
  else()
    set(BRIMSEL_DEB_GUI no-gui)
  endif()
  foreach(check contents example desktop-entry lintian)
    add_test(NAME package_${check}
             COMMAND ${PROJECT_SOURCE_DIR}/tests/install/package_test.sh
                     ${check} ${BRIMSEL_DEB} ${BRIMSEL_DEB_GUI} ${PROJECT_SOURCE_DIR})
    set_tests_properties(package_${check} PROPERTIES SKIP_RETURN_CODE 77)
  endforeach()
endif()
