# Writes build_stamp.h with the time and machine of the build. Run at build time by the
# build_stamp target; string(TIMESTAMP) honours SOURCE_DATE_EPOCH, so two builds of one commit
# with the same SOURCE_DATE_EPOCH on the same machine give the same bytes.
string(TIMESTAMP when "%Y-%m-%d %H:%M:%S" UTC)
# The machine's name goes into the version resource as it is reported, cleaned: every byte but
# A-Z, a-z, 0-9, ".", "_" and "-" becomes "_" (so a multi-byte character becomes several), and
# at most 64 characters are kept, Linux's longest host name.
cmake_host_system_information(RESULT host QUERY HOSTNAME)
string(REGEX REPLACE "[^A-Za-z0-9._-]" "_" host "${host}")
string(SUBSTRING "${host}" 0 64 host)
if(host STREQUAL "")
  set(host unknown)
endif()
set(text "#define SUMBRA_BUILD_TIME \"${when}\"\n#define SUMBRA_BUILT_ON \"${host}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
