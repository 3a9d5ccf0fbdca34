# Tests of the text utilities.
brimsel_add_test(text_tools_test tools ${CMAKE_CURRENT_LIST_DIR}/text_tools_test.cpp)
