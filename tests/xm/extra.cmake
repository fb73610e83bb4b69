# The render tool: a short render of an embedded tune succeeds; a file that
# is not a module is refused with an error and a non-zero exit.
add_test(NAME xm2wav_renders_embedded_tune
  COMMAND korveld-xm2wav --embedded 2 ${CMAKE_BINARY_DIR}/xm2wav_test.wav --seconds 2 --timeline)
set_tests_properties(xm2wav_renders_embedded_tune PROPERTIES LABELS xm
  PASS_REGULAR_EXPRESSION "frequencies: linear.*\n99 0 [0-9]+\n")
add_test(NAME xm2wav_refuses_a_non_module
  COMMAND korveld-xm2wav ${CMAKE_CURRENT_LIST_DIR}/extra.cmake ${CMAKE_BINARY_DIR}/xm2wav_bad.wav)
set_tests_properties(xm2wav_refuses_a_non_module PROPERTIES LABELS xm
  PASS_REGULAR_EXPRESSION "^korveld-xm2wav: [^\n]*extra.cmake: refused: not an XM module [^\n]*\n$")
# A value that is not a number: one line naming the option, exit status 1.
add_test(NAME xm2wav_refuses_a_bad_number
  COMMAND sh -c "$0 --embedded 1 ${CMAKE_BINARY_DIR}/xm2wav_bad_number.wav --seconds abc 2>&1; echo status $?"
          $<TARGET_FILE:korveld-xm2wav>)
set_tests_properties(xm2wav_refuses_a_bad_number PROPERTIES LABELS xm
  PASS_REGULAR_EXPRESSION "^korveld-xm2wav: --seconds: not a number: abc\nstatus 1\n$")
# A valid module that once hung the mixer (a 1-value loop at note 75 whose
# rounded count to the loop end came out one frame short): it ends.
add_test(NAME xm2wav_ends_on_a_one_value_loop
  COMMAND korveld-xm2wav ${PROJECT_SOURCE_DIR}/fuzz/corpus/xm/regression-loop-end-rounding-hang.xm
          ${CMAKE_BINARY_DIR}/xm2wav_loop.wav --seconds 1)
set_tests_properties(xm2wav_ends_on_a_one_value_loop PROPERTIES LABELS xm TIMEOUT 300
  PASS_REGULAR_EXPRESSION "channels:    1\n")
