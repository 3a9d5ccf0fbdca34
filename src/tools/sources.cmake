# Sources of the text utilities.
target_sources(brimsel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tool_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/proper_name.cpp
)
