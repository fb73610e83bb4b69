# The page tests drive the compiler library directly and run the compiler
# binary on the broken pages in fixtures/.
target_link_libraries(korveld_tests_pages PRIVATE korveld_pagec_lib)
add_dependencies(korveld_tests_pages korveld-pagec)
target_link_libraries(korveld_tests_pages PRIVATE korveld_pagegen_lib)
target_link_libraries(korveld_tests_pages PRIVATE korveld_tunecheck_lib)
