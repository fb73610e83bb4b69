# The viewer through korveld-render, as a user runs it.
add_test(NAME viewer_render_session
  COMMAND ${PROJECT_SOURCE_DIR}/tests/viewer/render_session.sh $<TARGET_FILE:korveld-render>)
set_tests_properties(viewer_render_session PROPERTIES LABELS viewer)
