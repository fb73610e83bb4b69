# The CPU conformance harness: not a GoogleTest binary, one ctest entry.
add_executable(korveld_cpu_vectors ${CMAKE_CURRENT_LIST_DIR}/cpu_vectors_main.cpp)
target_link_libraries(korveld_cpu_vectors PRIVATE korveld_sid)
korveld_warnings(korveld_cpu_vectors)
add_test(NAME cpu_vectors COMMAND korveld_cpu_vectors ${CMAKE_CURRENT_LIST_DIR}/cpu-vectors)
set_tests_properties(cpu_vectors PROPERTIES LABELS sid)

# korveld-sid2wav end to end: an embedded tune renders; malformed files (and
# a text file) get a one-line error and exit status 1, never a crash.
add_test(NAME sid2wav_embedded
  COMMAND korveld-sid2wav --embedded 12 ${PROJECT_BINARY_DIR}/sid2wav_embedded_test.wav --seconds 2)
set_tests_properties(sid2wav_embedded PROPERTIES LABELS sid)
foreach(bad data/truncated_header.sid data/missing_load_address.sid data/offset_past_end.sid
        data/past_memory_end.sid extra.cmake)
  get_filename_component(name ${bad} NAME_WE)
  add_test(NAME sid2wav_rejects_${name} COMMAND sh -c "$0 $1 $2 2>&1; echo status $?" $<TARGET_FILE:korveld-sid2wav>
    ${CMAKE_CURRENT_LIST_DIR}/${bad} ${PROJECT_BINARY_DIR}/sid2wav_${name}.wav)
  set_tests_properties(sid2wav_rejects_${name} PROPERTIES LABELS sid
    PASS_REGULAR_EXPRESSION "^korveld-sid2wav: [^\n]+\nstatus 1\n$")
endforeach()
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
