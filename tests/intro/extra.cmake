# The intro tests can write the frames they check as PNG pictures
# (KORVELD_INTRO_PNG_DIR=folder), for looking at.
target_link_libraries(korveld_tests_intro PRIVATE PNG::PNG)
