# Sources of the table export.
target_sources(brimsel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/date.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tables.cpp
)
