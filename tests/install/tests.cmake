# Tests of what "cmake --install" ships: manual pages in step with --help, the version.
add_test(NAME man_page_cli_test
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/man_page_test.sh $<TARGET_FILE:brimsel-cli>
                 ${PROJECT_SOURCE_DIR}/packaging/man/brimsel-cli.1.in)
if(TARGET brimsel)
  add_test(NAME man_page_gui_test
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/man_page_test.sh $<TARGET_FILE:brimsel>
                   ${PROJECT_SOURCE_DIR}/packaging/man/brimsel.1.in)
  set_tests_properties(man_page_gui_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()

# The version that brimsel-cli prints is the project's, which names the package too.
string(REPLACE "." "\\." brimsel_version_pattern "${PROJECT_VERSION}")
add_test(NAME cli_version_test COMMAND brimsel-cli --version)
set_tests_properties(cli_version_test PROPERTIES
  PASS_REGULAR_EXPRESSION "^brimsel-cli \\(Brimsel ${brimsel_version_pattern}\\)\n$")
