# Tests of the table export.
brimsel_add_test(date_test export ${CMAKE_CURRENT_LIST_DIR}/date_test.cpp)
brimsel_add_test(code_lists_test export ${CMAKE_CURRENT_LIST_DIR}/code_lists_test.cpp)
brimsel_add_test(table_file_test export ${CMAKE_CURRENT_LIST_DIR}/table_file_test.cpp)
brimsel_add_test(tables_test export ${CMAKE_CURRENT_LIST_DIR}/tables_test.cpp)
brimsel_add_test(export_cli_test platform ${CMAKE_CURRENT_LIST_DIR}/export_cli_test.cpp)
add_dependencies(export_cli_test brimsel-cli)
