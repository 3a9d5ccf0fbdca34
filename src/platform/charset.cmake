# Sources of the character sets: detection, decoding, letter case, the UTF-16 source; ICU.
find_package(ICU REQUIRED COMPONENTS uc)
target_sources(brimsel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ansel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/single_byte.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_case.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf16_source.cpp
)
target_link_libraries(brimsel_core PRIVATE ICU::uc)
