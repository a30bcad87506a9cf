# Turns a guide written in Markdown into plain text with CRLF line endings, for Notepad: the
# release archive's README.txt from docs/windows.md, so that its text exists once.
#   cmake -DINPUT=docs/windows.md -DOUTPUT=README.txt -P cmake/PlainText.cmake
# The guide keeps to ASCII and to what this reads; every other line stays as it is:
#   # Title, ## Heading     underlined with = and -
#   ``` fenced blocks       indented by four spaces, the fences dropped
#   `code`                  its text
#   [text](target)          its text, then " (target)" for a web address
#   <!-- comment -->        on a line of its own, dropped
# Markdown it does not read (emphasis, a fence that is not at the start of a line, a link it
# cannot take apart, code across two lines) stops the build rather than reach the guide.
cmake_minimum_required(VERSION 3.25)

file(READ "${INPUT}" markdown)
if(markdown MATCHES "[^\t\n\r -~]")
  message(FATAL_ERROR "${INPUT}: a character outside ASCII; older Notepads would garble it")
endif()

set(text "")
set(in_block FALSE)
set(number 0)
while(NOT markdown STREQUAL "")
  math(EXPR number "${number} + 1")
  # One line at a time, as a string and never as a list, so that ";" and "[" stay as they are.
  string(FIND "${markdown}" "\n" end)
  if(end EQUAL -1)
    string(LENGTH "${markdown}" end)
  endif()
  string(SUBSTRING "${markdown}" 0 ${end} line)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${markdown}" ${end} -1 markdown)
  string(REGEX REPLACE "\r$" "" line "${line}")

  if(line MATCHES "^```")
    if(in_block)
      set(in_block FALSE)
    else()
      set(in_block TRUE)
    endif()
    continue()
  elseif(in_block)
    string(APPEND text "    ${line}\r\n")
    continue()
  elseif(line MATCHES "^<!--.*-->$")
    continue()
  endif()

  if(line MATCHES "\\]\\([^)]*\\(")
    message(FATAL_ERROR "${INPUT}:${number}: a link whose target holds a parenthesis")
  endif()
  string(REGEX REPLACE "\\[([^]]*)\\]\\(([a-z]+://[^)]*)\\)" "\\1 (\\2)" line "${line}")
  string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" line "${line}")
  string(REGEX REPLACE "`([^`]*)`" "\\1" line "${line}")
  if(line MATCHES "[`]|\\*\\*|\\]\\(|<!--|-->|~~~|__")
    message(FATAL_ERROR "${INPUT}:${number}: Markdown that the plain-text guide cannot show")
  endif()
  if(line MATCHES "^(#+) +(.*)$")
    set(line "${CMAKE_MATCH_2}")
    set(mark "-")
    if(CMAKE_MATCH_1 STREQUAL "#")
      set(mark "=")
    endif()
    string(LENGTH "${line}" length)
    string(REPEAT "${mark}" ${length} underline)
    string(APPEND line "\r\n${underline}")
  endif()
  string(APPEND text "${line}\r\n")
endwhile()
if(in_block)
  message(FATAL_ERROR "${INPUT}: a code block without its closing fence")
endif()
file(WRITE "${OUTPUT}" "${text}")
