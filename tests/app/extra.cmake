# The real binaries as a user runs them.
add_test(NAME korveld_no_display COMMAND ${PROJECT_SOURCE_DIR}/tests/app/xvfb_desktop.sh $<TARGET_FILE:korveld> no-display)
# Real desktops: the frame's own size and larger screens, with and without a
# window manager.
foreach(check plain-800 quit-held-wm quit-held-bare escape-held kiosk-1600 openbox-1280 fill-1920 error-box memory-limit)
  add_test(NAME korveld_desktop_${check} COMMAND ${PROJECT_SOURCE_DIR}/tests/app/xvfb_desktop.sh $<TARGET_FILE:korveld> ${check})
  set_tests_properties(korveld_desktop_${check} PROPERTIES LABELS "app;xvfb;desktop" RUN_SERIAL TRUE TIMEOUT 300)
endforeach()
add_test(NAME korveld_render_script COMMAND ${PROJECT_SOURCE_DIR}/tests/app/render_cli.sh $<TARGET_FILE:korveld-render>)
# Random sessions from fixed seeds (tests/app/session_fuzz.py --regression);
# the long random run is the same script with a range of seeds.
add_test(NAME korveld_session_fuzz
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/app/session_fuzz.py $<TARGET_FILE:korveld-render> --regression --wall 120)
set_tests_properties(korveld_no_display korveld_render_script korveld_session_fuzz PROPERTIES LABELS app)
# The sound tools read what an input file holds: the same render from a
# module's file as from the program's copy at the file's cost in memory, the
# 1 MB limit of a tune exact, a pipe read too.
add_test(NAME tools_read_what_the_file_holds
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/app/tool_input_test.py $<TARGET_FILE:korveld-xm2wav>
          $<TARGET_FILE:korveld-sid2wav> ${CMAKE_BINARY_DIR}/content/xm/tune1.xm ${CMAKE_BINARY_DIR}/content/sid/tune01.sid)
set_tests_properties(tools_read_what_the_file_holds PROPERTIES LABELS app)
# The real program through a private PulseAudio daemon, recorded from its
# null sink: the music at the headless render's level, no dropout, no click.
# Once idle and once with a second process keeping a core busy; alone, so
# that the machine's load is the one the test makes.
foreach(load idle busy)
  set(load_flag)
  if(load STREQUAL "busy")
    set(load_flag --busy)
  endif()
  add_test(NAME korveld_sound_server_${load}
    COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/app/sound_server.py $<TARGET_FILE:korveld>
            $<TARGET_FILE:korveld-render> ${load_flag})
  set_tests_properties(korveld_sound_server_${load} PROPERTIES LABELS "app;xvfb;sound" RUN_SERIAL TRUE TIMEOUT 300)
endforeach()
