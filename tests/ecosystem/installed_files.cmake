# The files an installation holds, relative to its prefix, as the Debian package has them
# (its manual page compressed, CHANGELOG.md as changelog.gz, and a Debian changelog that
# only the package has).
# Sets ULVANE_INSTALLED_FILES; needs SOURCE_DIR.
file(GLOB example_files RELATIVE "${SOURCE_DIR}/examples"
  "${SOURCE_DIR}/examples/*.ulv" "${SOURCE_DIR}/examples/*.out")
list(TRANSFORM example_files PREPEND "share/doc/ulvane/examples/")
set(ULVANE_INSTALLED_FILES
  bin/ulvane
  share/man/man1/ulvane.1.gz
  share/doc/ulvane/README.md
  share/doc/ulvane/language.md
  share/doc/ulvane/copyright
  share/doc/ulvane/changelog.gz
  share/doc/ulvane/changelog.Debian.gz
  ${example_files}
  share/vim/vimfiles/syntax/ulvane.vim
  share/vim/vimfiles/ftdetect/ulvane.vim
  share/ulvane/vscode/package.json
  share/ulvane/vscode/language-configuration.json
  share/ulvane/vscode/README.md
  share/ulvane/vscode/syntaxes/ulvane.tmLanguage.json
)

# Fails unless the list named by found_var holds exactly the files in expected, in any order.
function(expect_installed_files what found_var expected)
  set(found ${${found_var}})
  list(SORT found)
  list(SORT expected)
  if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n  " found_text "${found}")
    string(REPLACE ";" "\n  " expected_text "${expected}")
    message(FATAL_ERROR "${what}\n found:\n  ${found_text}\n expected:\n  ${expected_text}")
  endif()
endfunction()

# Fails unless, in a listing with one file a line, mode first and path last (ls -l,
# dpkg-deb --contents), every example script has mode 755, so that its #! line works, and
# every output file 644. Each example file must have its line.
function(expect_example_modes what listing)
  string(REGEX MATCHALL "[^\n]*\\.(ulv|out)\n" lines "${listing}")
  set(wrong "")
  foreach(line ${lines})
    if(line MATCHES "\\.ulv\n$")
      set(mode "-rwxr-xr-x")
    else()
      set(mode "-rw-r--r--")
    endif()
    string(FIND "${line}" "${mode}" at)
    if(NOT at EQUAL 0)
      string(APPEND wrong "  expected ${mode}: ${line}")
    endif()
  endforeach()
  list(LENGTH lines count)
  list(LENGTH example_files expected_count)
  if(NOT wrong STREQUAL "" OR NOT count EQUAL expected_count)
    message(FATAL_ERROR "${what}: example modes (${count} of ${expected_count} files listed)\n${wrong}")
  endif()
endfunction()
