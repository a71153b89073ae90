# Install rules and the Debian package: the interpreter, its manual page, the guide, the
# examples and the editor files. The test programs have no install rules and stay behind.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME ulvane)
set(CPACK_PACKAGE_VENDOR "The ulvane developers")
file(GLOB example_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.ulv)
file(GLOB example_outputs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.out)

# On Windows a program's folder holds what comes with it: ulvane.exe, its texts and the
# examples, packed as a zip by CPack.
if(WIN32)
  install(TARGETS ulvane RUNTIME DESTINATION .)
  install(FILES README.md LICENSE CHANGELOG.md docs/language.md DESTINATION .)
  install(FILES ${example_scripts} ${example_outputs} DESTINATION examples)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ulvane-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

install(TARGETS ulvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/ulvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md CHANGELOG.md docs/language.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(ULVANE_CONTACT "ulvane maintainers <maintainers@ulvane.invalid>")

# The copyright and license in Debian's machine-readable form, which the package must carry
# as share/doc/ulvane/copyright. It is made from LICENSE, so the license text lives in one
# file: the copyright line becomes the Copyright field, the text below it the License
# paragraph (each line indented by one space, an empty line written as " .").
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE license_text)
if(NOT license_text MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE does not start with \"MIT License\" and a copyright line")
endif()
set(ULVANE_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n\n" "\n.\n" ULVANE_LICENSE_BODY "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " ULVANE_LICENSE_BODY " ${ULVANE_LICENSE_BODY}")
configure_file(cmake/copyright.in copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Each example with the output it prints, so a reader can compare. The scripts start with
# a #! line and stay executable; the output files do not.
install(PROGRAMS ${example_scripts} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${example_outputs} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Debian's vim searches /usr/share/vim/vimfiles, so the package's files are found and its
# ftdetect folder is read by "filetype on". Below another prefix (/usr/local by default) the
# folder keeps the prefix, and vim needs it added to 'runtimepath' (the README gives the line).
install(DIRECTORY editors/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles)

# The VS Code extension without its test samples and development packages.
install(FILES editors/vscode/package.json editors/vscode/language-configuration.json
              editors/vscode/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/ulvane/vscode)
install(FILES editors/vscode/syntaxes/ulvane.tmLanguage.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/ulvane/vscode/syntaxes)

# CI runs lintian over the package and fails on an error. Two warnings stay:
# hardening-no-pie, since the interpreter is built position-dependent for speed (see
# CMakeLists.txt), and initial-upload-closes-no-bugs, since the package is not uploaded to
# Debian and its changelog has no request-for-packaging bug to close.
set(CPACK_PACKAGE_CONTACT "${ULVANE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interpreter for the Ulvane scripting language")
set(CPACK_PACKAGE_DESCRIPTION "Ulvane is a small scripting language of numbers, strings, variables, print,
if and while. The package holds the ulvane interpreter, its manual page, a
language guide, example scripts, and syntax highlighting for Vim and Visual
Studio Code.")
set(CPACK_STRIP_FILES ON)
# The statically linked build makes the archive for any Linux: the installed files below a
# folder, to unpack into a prefix such as /usr/local.
if(ULVANE_STATIC)
  set(CPACK_GENERATOR TGZ)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" ulvane_platform)
  set(CPACK_PACKAGE_FILE_NAME ulvane-${PROJECT_VERSION}-${ulvane_platform})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) works out the library dependencies from the binary;
# without it the package names the libraries a C++ program always needs.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()
# Debian keeps manual pages compressed: gzip it in the package's staging folder. The Debian
# changelog is written there too, so that no second changelog is kept by hand.
set(CPACK_ULVANE_DOCDIR ${CMAKE_INSTALL_DOCDIR})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/compress_man_page.cmake
                            ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian_changelog.cmake)
include(CPack)
