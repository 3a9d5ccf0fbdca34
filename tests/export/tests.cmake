# Tests of the table export.
brimsel_add_test(date_test export ${CMAKE_CURRENT_LIST_DIR}/date_test.cpp)
brimsel_add_test(tables_test export ${CMAKE_CURRENT_LIST_DIR}/tables_test.cpp)
# The database export, checked against the tables on real and generated files.
if(NOT TARGET gedcom_gen)
  add_executable(gedcom_gen ${PROJECT_SOURCE_DIR}/bench/gedcom_gen.cpp)
endif()
brimsel_add_test(database_test export ${CMAKE_CURRENT_LIST_DIR}/database_test.cpp)
target_link_libraries(database_test PRIVATE SQLite::SQLite3)
target_compile_definitions(database_test PRIVATE BRIMSEL_GEDCOM_GEN="$<TARGET_FILE:gedcom_gen>")
add_dependencies(database_test gedcom_gen)
