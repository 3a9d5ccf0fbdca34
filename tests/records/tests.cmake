# The complete reader: its structures, character sets, threads and parts, on snippets and on the
# real and generated files.
if(NOT TARGET gedcom_gen)
  add_executable(gedcom_gen ${PROJECT_SOURCE_DIR}/bench/gedcom_gen.cpp)
endif()
brimsel_add_test(complete_reader_test records ${CMAKE_CURRENT_LIST_DIR}/complete_reader_test.cpp)
target_compile_definitions(complete_reader_test PRIVATE BRIMSEL_GEDCOM_GEN="$<TARGET_FILE:gedcom_gen>")
add_dependencies(complete_reader_test gedcom_gen)
target_link_libraries(complete_reader_test PRIVATE SQLite::SQLite3)
# The complete databases of the examples and the public files against an independent reading
# of their lines, and the picture of the tables in step with the schema.
add_test(NAME complete_database_check
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/complete_database_check.sh $<TARGET_FILE:brimsel-cli>
          ${PROJECT_SOURCE_DIR})
set_tests_properties(complete_database_check PROPERTIES SKIP_RETURN_CODE 77)
