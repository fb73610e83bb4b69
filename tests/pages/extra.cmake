# The page tests drive the compiler library directly and run the compiler
# binary on the broken pages in fixtures/.
target_link_libraries(korveld_tests_pages PRIVATE korveld_pagec_lib)
add_dependencies(korveld_tests_pages korveld-pagec)
target_link_libraries(korveld_tests_pages PRIVATE korveld_pagegen_lib)
target_link_libraries(korveld_tests_pages PRIVATE korveld_tunecheck_lib)
# The compiler binary as the build runs it, on the pages in fixtures/: a
# credit naming a tune the sources do not have and typed figures that disagree
# with them stop the build at their line; quoted facts that agree pass.
function(korveld_pagec_fixture name page expect)
  set(dir ${CMAKE_CURRENT_LIST_DIR}/fixtures)
  add_test(NAME PageCompilerTool.${name}
    COMMAND sh -c "$0 --allow-missing --table ${dir}/table.txt --out ${CMAKE_BINARY_DIR}/pagec_${name}.cpp \
--facts ${dir}/facts.txt ${dir}/good_page1.txt ${dir}/${page} 2>&1; echo status $?" $<TARGET_FILE:korveld-pagec>)
  set_tests_properties(PageCompilerTool.${name} PROPERTIES LABELS pages PASS_REGULAR_EXPRESSION "${expect}")
endfunction()
korveld_pagec_fixture(StaleCredit stale_credit.txt "^[^\n]*/stale_credit.txt:3: column 6 of the source: no fact \"tune.9.title\": \
the tune, module and release sources do not give it\nstatus [1-9]")
korveld_pagec_fixture(WrongFigure wrong_figure.txt "^[^\n]*/wrong_figure.txt:2: column 6 of the source: \"Lamplight Drive\" \
disagrees with content/sid/tunes, which gives tune.8.title = \"Velvet Static\"\n[^\n]*/wrong_figure.txt:3: column 20 of \
the source: \"3.88\" disagrees with content/pages/releases.dat, which gives best.per.release = \"3.95\"\nstatus [1-9]")
korveld_pagec_fixture(QuotedFactsThatAgree good_facts.txt "has no source file; using an empty page\nstatus 0\n$")
