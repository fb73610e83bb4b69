target_link_libraries(korveld_tests_intro PRIVATE korveld_test_support)

# Golden frames of the whole program's intro, from korveld-render.
add_test(NAME intro_render_golden
  COMMAND ${PROJECT_SOURCE_DIR}/tests/intro/render_golden.sh $<TARGET_FILE:korveld-render>)
set_tests_properties(intro_render_golden PROPERTIES LABELS intro)
