# The XM tests build their modules with the module writer.
foreach(target korveld_tests_xm korveld_threads_xm)
  if(TARGET ${target})
    target_link_libraries(${target} PRIVATE korveld_xmwriter)
  endif()
endforeach()
