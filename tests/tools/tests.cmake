# Tests of the text utilities.
brimsel_add_test(strip_test tools ${CMAKE_CURRENT_LIST_DIR}/strip_test.cpp)
brimsel_add_test(proper_name_test tools ${CMAKE_CURRENT_LIST_DIR}/proper_name_test.cpp)
brimsel_add_test(strip_capital_cli_test platform ${CMAKE_CURRENT_LIST_DIR}/strip_capital_cli_test.cpp)
add_dependencies(strip_capital_cli_test brimsel-cli)
