# Run by cpack once the release archive is made: writes SHA256SUMS into the folder the archive
# goes to, with the archive's checksum and that of Sumbra.dll as it lies inside the archive, in
# the form `sha256sum -c` reads. (cpack makes the archive in its own working folder, then
# copies it out.)
set(archive "${CPACK_PACKAGE_FILES}")
get_filename_component(archive_name "${archive}" NAME)
set(unpacked "${CPACK_TOPLEVEL_DIRECTORY}/checksums")
file(REMOVE_RECURSE "${unpacked}")
file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${unpacked}" PATTERNS Sumbra.dll)
file(SHA256 "${archive}" archive_sum)
file(SHA256 "${unpacked}/Sumbra.dll" library_sum)
file(REMOVE_RECURSE "${unpacked}")
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS"
     "${archive_sum}  ${archive_name}\n${library_sum}  Sumbra.dll\n")
