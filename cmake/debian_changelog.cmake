# Run by CPack before it packs: writes the Debian changelog that a non-native package must
# carry as share/doc/ulvane/changelog.Debian.gz. It has one entry, for the package of this
# release; the release's own changes are in CHANGELOG.md, which the package carries under
# the name Debian gives an upstream changelog, changelog.gz. The date is the time of
# packing, or SOURCE_DATE_EPOCH when set, so that a build can be reproduced.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(doc_dir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_ULVANE_DOCDIR}")
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc_dir}/changelog.Debian"
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium

  * Package of the upstream release ${CPACK_PACKAGE_VERSION}, built with CPack.

 -- ${CPACK_PACKAGE_CONTACT}  ${date}
")
file(RENAME "${doc_dir}/CHANGELOG.md" "${doc_dir}/changelog")
foreach(changelog changelog.Debian changelog)
  execute_process(COMMAND gzip -9nf "${doc_dir}/${changelog}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${doc_dir}/${changelog}")
  endif()
endforeach()
