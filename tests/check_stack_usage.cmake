# Reports the stack frames of the keystroke handler as the compiler laid them out (-fstack-usage),
# in two parts:
#   the fast path, which every keystroke runs: `key`, and OnEnter for Enter (the trigger, the
#   rewrite and the checks of the line); it must stay a few dozen bytes;
#   the calculation, which only a calculator line with an expression runs: Calculate, plus
#   EvaluateAndShow when the compiler did not inline it; a little over the 64 KiB of the two
#   16384-character working arrays.
# Every frame must be fixed in size.
file(READ "${OBJECTS}/calc/key.cpp.su" usage)

# Adds the frame of `signature` (a regular expression) to the part `part`; a missing frame is an
# error unless `optional`.
function(add_frame part name signature optional)
  string(REGEX MATCH "${signature}\t([0-9]+)\t([a-z,]+)" found "${usage}")
  if(NOT found)
    if(NOT optional)
      message(FATAL_ERROR "${name} has no frame of its own in ${OBJECTS}/calc/key.cpp.su: inlined?")
    endif()
    return()
  endif()
  if(NOT CMAKE_MATCH_2 STREQUAL "static")
    message(FATAL_ERROR "${name}'s frame is ${CMAKE_MATCH_2}, not fixed in size")
  endif()
  math(EXPR bytes "${${part}_bytes} + ${CMAKE_MATCH_1}")
  set(${part}_bytes ${bytes} PARENT_SCOPE)
  set(report "${${part}_report}")
  if(report)
    string(APPEND report " +")
  endif()
  set(${part}_report "${report} ${name} ${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

set(fast_bytes 0)
set(calculation_bytes 0)
add_frame(fast key "int key\\(KeyInfo\\*\\)" FALSE)
add_frame(fast OnEnter "OnEnter\\(KeyInfo\\*\\)" FALSE)
add_frame(calculation Calculate "Calculate\\(KeyInfo\\*, const WideChar\\*, size_t\\)" FALSE)
add_frame(calculation EvaluateAndShow "EvaluateAndShow\\(const WideChar\\*, WideChar\\*\\)" TRUE)

message(STATUS "stack, fast path:${fast_report} = ${fast_bytes} bytes")
message(STATUS "stack, calculation:${calculation_report} = ${calculation_bytes} bytes")
if(fast_bytes GREATER 128)
  message(FATAL_ERROR "a keystroke needs ${fast_bytes} bytes of stack: expected at most 128")
endif()
if(calculation_bytes LESS_EQUAL 65536 OR calculation_bytes GREATER 69632)
  message(FATAL_ERROR "a calculation needs ${calculation_bytes} bytes: expected a little over 64 KiB")
endif()
