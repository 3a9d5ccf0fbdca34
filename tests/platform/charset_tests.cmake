# Tests of the character sets.
brimsel_add_test(charset_test platform ${CMAKE_CURRENT_LIST_DIR}/charset_test.cpp)
brimsel_add_test(single_byte_test platform ${CMAKE_CURRENT_LIST_DIR}/single_byte_test.cpp)
brimsel_add_test(text_decoder_test platform ${CMAKE_CURRENT_LIST_DIR}/text_decoder_test.cpp)
brimsel_add_test(text_case_test platform ${CMAKE_CURRENT_LIST_DIR}/text_case_test.cpp)
