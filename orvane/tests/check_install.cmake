# Installs the build into PREFIX, runs the installed shell from there, and checks that the
# manual page is in place and reads without warnings.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
execute_process(COMMAND ${PREFIX}/bin/orvane -c =6*7 OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "6*7 = 42\n")
  message(FATAL_ERROR "installed orvane: status ${status}, output \"${out}\", errors \"${err}\"")
endif()
execute_process(COMMAND ${PREFIX}/bin/orvane --version OUTPUT_VARIABLE out)
if(NOT out MATCHES "Sumbra 1.0.1 \\(${PREFIX}/lib[^)]*/orvane/Sumbra.so\\)")
  message(FATAL_ERROR "the installed shell did not load the installed plug-in: ${out}")
endif()
# A plug-in named without a folder is the file in the current folder, not one on the system's
# library path; and the wrapper in scripts/, which runs the native build, passes relative paths
# on unchanged and says nothing when there is nothing to build.
file(GLOB_RECURSE installed_plugin ${PREFIX}/*/Sumbra.so)
get_filename_component(plugin_dir ${installed_plugin} DIRECTORY)
set(runs "${PREFIX}/bin/orvane")
if(BUILD STREQUAL "${SOURCE}/build/native")
  list(APPEND runs "${SOURCE}/scripts/orvane")
endif()
foreach(program ${runs})
  execute_process(COMMAND ${program} --plugin Sumbra.so -c =6*7 WORKING_DIRECTORY ${plugin_dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "6*7 = 42\n" OR NOT err STREQUAL "")
    message(FATAL_ERROR "${program} --plugin Sumbra.so: status ${status}, output \"${out}\", "
                        "errors \"${err}\"")
  endif()
endforeach()
# The library search path of the program, built or installed, has no empty entry: the loader
# would read one as the current folder and take the C++ runtime from wherever the user is.
foreach(program ${BUILD}/orvane/orvane ${PREFIX}/bin/orvane)
  execute_process(COMMAND readelf -d ${program} OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCH "(RUNPATH|RPATH)[^[]*\\[([^]]*)\\]" found "${dynamic}")
  set(path "${CMAKE_MATCH_2}")
  if(NOT found OR ":${path}:" MATCHES "::")
    message(FATAL_ERROR "${program}: library search path \"${path}\" has an empty entry")
  endif()
endforeach()
set(page ${PREFIX}/share/man/man1/orvane.1)
if(NOT EXISTS ${page})
  message(FATAL_ERROR "no manual page at ${page}")
endif()
find_program(GROFF groff)
if(GROFF)
  execute_process(COMMAND ${GROFF} -man -ww -z ${page} ERROR_VARIABLE warnings)
  if(NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page: ${warnings}")
  endif()
endif()
file(REMOVE_RECURSE ${PREFIX})
