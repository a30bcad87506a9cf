# Makes the release archive into WORK with cpack, as a release is made, then checks it: the
# archive holds exactly the files a Windows user is given, and SHA256SUMS beside it names the
# archive and the DLL inside it, with checksums that `sha256sum -c` accepts once the archive is
# unpacked next to it.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CPACK}" -G ZIP --config "${CONFIG}" -B "${WORK}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${WORK}/${ARCHIVE}"
                OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" listing "${listing}")
list(SORT listing)
set(expected CHANGELOG.md Highlight-all-plugins.reg Highlight-all-users.reg
    Highlight-current-user.reg LICENSE.txt README.txt Remove-Highlight-all-plugins.reg
    Remove-Highlight-all-users.reg Remove-Highlight-current-user.reg Sumbra.dll
    THIRD-PARTY-NOTICES.txt)
if(NOT listing STREQUAL expected)
  message(FATAL_ERROR "${ARCHIVE} holds\n  ${listing}\ninstead of\n  ${expected}")
endif()

file(STRINGS "${WORK}/SHA256SUMS" sums)
list(TRANSFORM sums REPLACE "^[0-9a-f]+  " "" OUTPUT_VARIABLE named)
if(NOT named STREQUAL "${ARCHIVE};Sumbra.dll")
  message(FATAL_ERROR "SHA256SUMS should name ${ARCHIVE} and Sumbra.dll:\n${sums}")
endif()
file(ARCHIVE_EXTRACT INPUT "${WORK}/${ARCHIVE}" DESTINATION "${WORK}")

# The guide reads in Notepad: every line ends in CR LF, no Markdown is left, and it names the
# archive that holds it, so that a new version cannot ship the old one's instructions. (Read as
# text, a file loses its CRs: its line endings are checked in its bytes, one hex pair each.)
file(READ "${WORK}/README.txt" bytes HEX)
string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
string(REPLACE "0d 0a " "" bytes "${bytes}")
file(READ "${WORK}/README.txt" guide)
string(FIND "${guide}" "${ARCHIVE}" named)
if(bytes MATCHES "(^| )0[ad] " OR guide MATCHES "```|\\]\\(|<!--" OR named EQUAL -1)
  message(FATAL_ERROR "README.txt is not the plain-text guide to ${ARCHIVE}:\n${guide}")
endif()

execute_process(COMMAND sha256sum --check --strict SHA256SUMS WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "sha256sum --check SHA256SUMS:\n${log}")
endif()
file(REMOVE_RECURSE "${WORK}")
