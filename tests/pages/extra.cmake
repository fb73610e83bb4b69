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
the sources of the issue's facts do not give it\nstatus [1-9]")
korveld_pagec_fixture(WrongFigure wrong_figure.txt "^[^\n]*/wrong_figure.txt:2: column 6 of the source: \"Lamplight Drive\" \
disagrees with content/sid/tunes, which gives tune.8.title = \"Velvet Static\"\n[^\n]*/wrong_figure.txt:3: column 20 of \
the source: \"3.88\" disagrees with content/pages/releases.dat, which gives best.per.release = \"3.95\"\nstatus [1-9]")
korveld_pagec_fixture(QuotedFactsThatAgree good_facts.txt "has no source file. using an empty page\nstatus 0\n$")

# The issue's own sources with one contradiction planted, run through the
# tools as the build runs them: each stops with the file and line at fault.
# (A ";" would split an expected message into two patterns: "." stands in.)
function(korveld_planted name tool file edit run expect)
  get_filename_component(base ${file} NAME)
  set(planted ${CMAKE_BINARY_DIR}/planted_${name}_${base})
  add_test(NAME Planted.${name}
    COMMAND sh -c "sed '${edit}' ${PROJECT_SOURCE_DIR}/content/${file} > ${planted} && $0 ${run} 2>&1; echo status $?"
            $<TARGET_FILE:${tool}>)
  set_tests_properties(Planted.${name} PROPERTIES LABELS pages PASS_REGULAR_EXPRESSION "${expect}")
endfunction()
set(pages ${PROJECT_SOURCE_DIR}/content/pages)
set(built ${CMAKE_BINARY_DIR}/content)
# A second TOOL of a title the group already released (rule 7.4).
korveld_planted(ReleaseRuleBreach korveld-pagegen pages/releases.dat "s/^11 FIX   Otter.Forge.v2.9/11 TOOL  Otter.Forge.v2.9/"
  "--summary ${CMAKE_BINARY_DIR}/planted_ReleaseRuleBreach_releases.dat"
  "^[^\n]*/planted_ReleaseRuleBreach_releases.dat:48: rule 7.4: GLASSWING released Otter.Forge as TOOL on line 39. \
a second release of a title counts only as a FIX\nstatus 1\n$")
# Eleven votes for the group of the year from ten voters (rule 18.2).
korveld_planted(WrongVoteCount korveld-pagegen pages/records.dat "s/^vote 6 /vote 7 /"
  "--records ${CMAKE_BINARY_DIR}/planted_WrongVoteCount_records.dat ${pages}/releases.dat ${CMAKE_BINARY_DIR}/planted.facts"
  "^[^\n]*/planted_WrongVoteCount_records.dat:40: the group of the year votes add up to 11, but the chart team and the \
editors, who vote \\(rule 18.2\\), are 10 people\nstatus 1\n$")
# The top thirty's share of the year as it stood before this round.
korveld_planted(WrongShare korveld-pagec pages/page06.txt "s/{=yearly.top.share=78}/{=yearly.top.share=71}/"
  "--allow-missing --table ${pages}/pages.txt --out ${CMAKE_BINARY_DIR}/planted.cpp --facts ${built}/pages/records.facts \
${CMAKE_BINARY_DIR}/planted_WrongShare_page06.txt"
  "^[^\n]*/planted_WrongShare_page06.txt:28: column 35 of the source: \"71\" disagrees with content/pages/records.dat, \
which gives yearly.top.share = \"78\"\nstatus 1\n$")
# Speed bits in an RSID image (the format forbids them): the header check
# names the line of the tune source that sets them.
set(planted ${CMAKE_BINARY_DIR}/planted_tune03.sid)
add_test(NAME Planted.RsidSpeedBits
  COMMAND sh -c "cp ${built}/sid/tune03.sid ${planted} && printf '\\001' | dd of=${planted} bs=1 seek=21 conv=notrunc \
2>/dev/null && $0 --include ${PROJECT_SOURCE_DIR}/content/sid/tunes --image ${planted} \
${PROJECT_SOURCE_DIR}/content/sid/tunes/tune03.asm 2>&1; echo status $?" $<TARGET_FILE:korveld-tunecheck>)
set_tests_properties(Planted.RsidSpeedBits PROPERTIES LABELS pages PASS_REGULAR_EXPRESSION
  "^[^\n]*/tune03.asm:13: [^\n]*/planted_tune03.sid: speed: an RSID sets its own timing. the speed bits are all 0\nstatus 1\n$")
