# Tests of the text utilities.
brimsel_add_test(strip_test tools ${CMAKE_CURRENT_LIST_DIR}/strip_test.cpp)
brimsel_add_test(proper_name_test tools ${CMAKE_CURRENT_LIST_DIR}/proper_name_test.cpp)
