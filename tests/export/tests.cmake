# Tests of the table export.
brimsel_add_test(date_test ${CMAKE_CURRENT_LIST_DIR}/date_test.cpp)
brimsel_add_test(liste_test ${CMAKE_CURRENT_LIST_DIR}/liste_test.cpp)
brimsel_add_test(table_file_test ${CMAKE_CURRENT_LIST_DIR}/table_file_test.cpp)
brimsel_add_test(export_cli_test ${CMAKE_CURRENT_LIST_DIR}/export_cli_test.cpp)
add_dependencies(export_cli_test brimsel-cli)
brimsel_add_test(tables_test ${CMAKE_CURRENT_LIST_DIR}/tables_test.cpp)
