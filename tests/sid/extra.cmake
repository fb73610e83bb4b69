# The CPU conformance harness: not a GoogleTest binary, one ctest entry.
add_executable(korveld_cpu_vectors ${CMAKE_CURRENT_LIST_DIR}/cpu_vectors_main.cpp)
target_link_libraries(korveld_cpu_vectors PRIVATE korveld_sid)
korveld_warnings(korveld_cpu_vectors)
add_test(NAME cpu_vectors COMMAND korveld_cpu_vectors ${PROJECT_SOURCE_DIR}/../shared/cpu-tests)
set_tests_properties(cpu_vectors PROPERTIES LABELS sid)
