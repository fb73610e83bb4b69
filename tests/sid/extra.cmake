# The CPU conformance harness: not a GoogleTest binary, one ctest entry.
add_executable(korveld_cpu_vectors ${CMAKE_CURRENT_LIST_DIR}/cpu_vectors_main.cpp)
target_link_libraries(korveld_cpu_vectors PRIVATE korveld_sid)
korveld_warnings(korveld_cpu_vectors)
add_test(NAME cpu_vectors COMMAND korveld_cpu_vectors ${PROJECT_SOURCE_DIR}/../shared/cpu-tests)
set_tests_properties(cpu_vectors PROPERTIES LABELS sid)

# korveld-sid2wav end to end: an embedded tune renders; malformed files get
# a one-line error and a non-zero exit.
add_test(NAME sid2wav_embedded
  COMMAND korveld-sid2wav --embedded 12 ${PROJECT_BINARY_DIR}/sid2wav_embedded_test.wav --seconds 2)
set_tests_properties(sid2wav_embedded PROPERTIES LABELS sid)
foreach(bad truncated_header missing_load_address offset_past_end past_memory_end)
  add_test(NAME sid2wav_rejects_${bad}
    COMMAND korveld-sid2wav ${CMAKE_CURRENT_LIST_DIR}/data/${bad}.sid ${PROJECT_BINARY_DIR}/sid2wav_${bad}.wav)
  set_tests_properties(sid2wav_rejects_${bad} PROPERTIES LABELS sid WILL_FAIL TRUE)
endforeach()
add_test(NAME sid2wav_rejects_non_tune COMMAND korveld-sid2wav ${PROJECT_SOURCE_DIR}/CMakeLists.txt
  ${PROJECT_BINARY_DIR}/sid2wav_non_tune.wav)
set_tests_properties(sid2wav_rejects_non_tune PROPERTIES LABELS sid WILL_FAIL TRUE)
add_test(NAME sid2wav_refuses_a_bad_number
  COMMAND sh -c "$0 --embedded 1 ${PROJECT_BINARY_DIR}/sid2wav_bad_number.wav --song 2.5 2>&1; echo status $?"
          $<TARGET_FILE:korveld-sid2wav>)
set_tests_properties(sid2wav_refuses_a_bad_number PROPERTIES LABELS sid
  PASS_REGULAR_EXPRESSION "^korveld-sid2wav: --song: not a whole number: 2.5\nstatus 1\n$")
# A version-1 file that gives its load address in the header, not the data.
add_test(NAME sid2wav_header_load_address
  COMMAND korveld-sid2wav ${CMAKE_CURRENT_LIST_DIR}/data/header_load_address.sid
  ${PROJECT_BINARY_DIR}/sid2wav_header_load_address.wav --seconds 1)
set_tests_properties(sid2wav_header_load_address PROPERTIES LABELS sid
  PASS_REGULAR_EXPRESSION "load \\$1000  init \\$1000  play \\$1006\ninit: 3 instructions; play: most 2, mean 2.0")

# The tune tests compare the played tunes with the loop lengths their sources imply.
target_link_libraries(korveld_tests_sid PRIVATE korveld_tunecheck_lib)

target_link_libraries(korveld_tests_sid PRIVATE korveld_test_support)
