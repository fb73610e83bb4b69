# Writes the page's files next to the linked program (cmake -P, run by the
# korveld_page target): the HTML with the size of korveld.wasm filled in (its
# loading bar counts the bytes fetched of it), the audio worklet and the
# isolation worker, and gzip and brotli copies of every file for hosts that
# serve precompressed files.
# Arguments: -DSOURCE=<platform/web> -DOUT=<the build folder>.
file(SIZE ${OUT}/korveld.wasm wasm_bytes)
file(READ ${SOURCE}/index.html page)
string(REPLACE "/*korveld.wasm bytes*/0" "${wasm_bytes}" page "${page}")
file(WRITE ${OUT}/index.html.new "${page}")
file(COPY_FILE ${OUT}/index.html.new ${OUT}/index.html ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}/index.html.new)
foreach(file korveld-audio.js korveld-isolation.js korveld-present.js)
  file(COPY_FILE ${SOURCE}/${file} ${OUT}/${file} ONLY_IF_DIFFERENT)
endforeach()

find_program(GZIP gzip REQUIRED)
find_program(BROTLI brotli)
if(NOT BROTLI)
  message(STATUS "brotli not found: the page gets gzip copies only")
endif()
foreach(file index.html korveld.js korveld.wasm korveld.worker.js korveld-audio.js korveld-isolation.js
             korveld-present.js)
  execute_process(COMMAND ${GZIP} -9 -n -k -f ${OUT}/${file} COMMAND_ERROR_IS_FATAL ANY)
  if(BROTLI)
    execute_process(COMMAND ${BROTLI} -f -k -q 11 ${OUT}/${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
