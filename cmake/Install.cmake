# What "cmake --install" puts under the prefix: the programs, their manual pages, the desktop
# entry with its icons, and the documentation. Included by the top-level CMakeLists.txt after
# the targets exist; works with and without the desktop program.
include(GNUInstallDirs)

set(BRIMSEL_PACKAGE_MAINTAINER "Brimsel maintainers <brimsel@example.org>"
    CACHE STRING "Name and address written in the package's control, changelog and copyright")
# Under dpkg's own name, not GNUInstallDirs' share/doc/Brimsel.
set(BRIMSEL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/brimsel)
set(BRIMSEL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(BRIMSEL_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)
find_program(BRIMSEL_GZIP gzip REQUIRED)

# brimsel_gzip(SOURCE OUTPUT): OUTPUT is SOURCE compressed at build time with "gzip -9n" (no
# name, no time stamp, so the same input always gives the same bytes).
set(BRIMSEL_GZIPPED "")
function(brimsel_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${BRIMSEL_GZIP} -9n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}"
    VERBATIM)
  set(BRIMSEL_GZIPPED ${BRIMSEL_GZIPPED} ${output} PARENT_SCOPE)
endfunction()

# The changelog's date follows SOURCE_DATE_EPOCH when it is set (scripts/package sets it to
# the last commit's time), so that a package built twice from one commit is the same.
string(TIMESTAMP BRIMSEL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${BRIMSEL_PACKAGING_DIR}/changelog.in ${BRIMSEL_GENERATED_DIR}/changelog @ONLY)
configure_file(${BRIMSEL_PACKAGING_DIR}/copyright.in ${BRIMSEL_GENERATED_DIR}/copyright @ONLY)
brimsel_gzip(${BRIMSEL_GENERATED_DIR}/changelog ${BRIMSEL_GENERATED_DIR}/changelog.gz)

set(BRIMSEL_PAGES brimsel-cli)
if(TARGET brimsel)
  list(APPEND BRIMSEL_PAGES brimsel)
endif()
foreach(page IN LISTS BRIMSEL_PAGES)
  configure_file(${BRIMSEL_PACKAGING_DIR}/man/${page}.1.in ${BRIMSEL_GENERATED_DIR}/${page}.1 @ONLY)
  brimsel_gzip(${BRIMSEL_GENERATED_DIR}/${page}.1 ${BRIMSEL_GENERATED_DIR}/${page}.1.gz)
  install(FILES ${BRIMSEL_GENERATED_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(brimsel_install_files ALL DEPENDS ${BRIMSEL_GZIPPED})

install(TARGETS brimsel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET brimsel)
  install(TARGETS brimsel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${BRIMSEL_PACKAGING_DIR}/brimsel.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  foreach(size 32 48 256)
    install(FILES ${BRIMSEL_PACKAGING_DIR}/icons/brimsel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
            RENAME brimsel.png)
  endforeach()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md
              ${BRIMSEL_GENERATED_DIR}/copyright
              ${BRIMSEL_GENERATED_DIR}/changelog.gz
        DESTINATION ${BRIMSEL_DOCDIR})
# The pages and pictures the README links to, in the same places relative to it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${BRIMSEL_DOCDIR}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.svg")
