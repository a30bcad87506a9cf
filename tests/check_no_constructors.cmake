# Fails if any of the plug-in's object files has a static constructor or destructor. Sumbra.dll
# starts at DllMain with no C runtime start-up code, which is what would run them: one would
# silently never run there, while the Linux build ran it.
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
  execute_process(COMMAND ${OBJDUMP} -h ${file} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${file}")
  endif()
  string(REGEX MATCH "[ \t](\\.ctors|\\.dtors|\\.init_array|\\.fini_array|\\.CRT\\$X[A-Z]*)[^ \t]*"
         found "${out}")
  if(found)
    message(FATAL_ERROR "${file} has a${found} section: a static constructor or destructor")
  endif()
endforeach()
list(LENGTH files count)
message(STATUS "no static constructors in ${count} files")
