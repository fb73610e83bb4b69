# The font embedder refuses pictures it cannot use, with a message that says why.
add_test(NAME FontEmbed.RejectsANonPng
  COMMAND korveld-fontembed ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/fontembed_unused.cpp)
set_tests_properties(FontEmbed.RejectsANonPng PROPERTIES LABELS render
  PASS_REGULAR_EXPRESSION "README.md: not a readable PNG")
add_test(NAME FontEmbed.RejectsAnRgbPicture
  COMMAND korveld-fontembed ${PROJECT_SOURCE_DIR}/docs/page11.png ${CMAKE_BINARY_DIR}/fontembed_unused.cpp)
set_tests_properties(FontEmbed.RejectsAnRgbPicture PROPERTIES LABELS render
  PASS_REGULAR_EXPRESSION "page11.png: must be an indexed \\(palette\\) picture")

target_link_libraries(korveld_tests_render PRIVATE korveld_test_support)
