# Sources of the table export, and the dictionary listing that writes the code lists.
target_sources(brimsel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/date.cpp
  ${CMAKE_CURRENT_LIST_DIR}/table_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../dict/liste.cpp
)
