# The WebAssembly build (emcmake cmake ...): the libraries and the programs
# that run on them, compiled by emscripten. Threads are real pthreads on
# shared memory, so every object is compiled and linked with -pthread.
#
# The build-time content compilers (page compiler, font and skin embedders,
# module composer, tune checker) must run on the build machine and give the
# same bytes as in the native build, so they are built natively by a nested
# build in host/ and imported from there.
add_compile_options(-pthread)
add_link_options(-pthread)

# Extra arguments for the nested native build, e.g. compiler launchers.
set(KORVELD_HOST_CMAKE_ARGS "" CACHE STRING "extra cmake arguments for the native build of the content tools")

set(KORVELD_HOST_TOOLS korveld-bigfont-embed korveld-fontembed korveld-pagegen korveld-pagec korveld-textc korveld-tunecheck
    korveld-skinpack korveld-xmgen)
set(korveld_host_dir ${CMAKE_BINARY_DIR}/host)
set(korveld_host_outputs)
foreach(tool ${KORVELD_HOST_TOOLS})
  list(APPEND korveld_host_outputs ${korveld_host_dir}/${tool})
endforeach()

include(ExternalProject)
ExternalProject_Add(korveld_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${korveld_host_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVELD_BUILD_TESTS=OFF -DKORVELD_HOST_TOOLS_ONLY=ON
             ${KORVELD_HOST_CMAKE_ARGS}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${korveld_host_dir} --target ${KORVELD_HOST_TOOLS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${korveld_host_outputs})
foreach(tool ${KORVELD_HOST_TOOLS})
  add_executable(${tool} IMPORTED GLOBAL)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${korveld_host_dir}/${tool})
  add_dependencies(${tool} korveld_host_tools)
endforeach()

# A command-line program run by Node (node --no-experimental-fetch PROGRAM.js):
# main runs on a pthread so it may block, the host's files are the program's
# files, and the process exits with main's status. Memory grows on demand (a
# long run's captured sound alone takes 10 MB a minute).
function(korveld_node_program target)
  target_link_options(${target} PRIVATE -sENVIRONMENT=node -sNODERAWFS -sPROXY_TO_PTHREAD -sEXIT_RUNTIME
                      -sINITIAL_MEMORY=64MB -sALLOW_MEMORY_GROWTH -sMAXIMUM_MEMORY=2GB -Wno-pthreads-mem-growth)
endfunction()
