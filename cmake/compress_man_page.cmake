# Run by CPack before it packs: compresses the staged manual page as Debian expects
# (gzip -9n: best compression, no name or time stamp, so the package is reproducible).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/ulvane.1")
foreach(page ${pages})
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
  endif()
endforeach()
