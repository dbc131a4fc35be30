# Run by `cmake --install` (see Install.cmake), with CMAKE_INSTALL_PREFIX the prefix chosen
# then, and VANTRELLE_STAGE, VANTRELLE_PROGRAM_DIR and VANTRELLE_DESKTOP_IN set.

set(program "${CMAKE_INSTALL_PREFIX}/${VANTRELLE_PROGRAM_DIR}/vantrelle")
file(REMOVE_RECURSE "${VANTRELLE_STAGE}")
file(MAKE_DIRECTORY "${VANTRELLE_STAGE}/bin")

# A relative link, so that the tree still works when moved or staged under DESTDIR.
file(CREATE_LINK "../${VANTRELLE_PROGRAM_DIR}/vantrelle" "${VANTRELLE_STAGE}/bin/vantrelle"
  SYMBOLIC)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE FILE
  FILES "${VANTRELLE_STAGE}/bin/vantrelle")

# The command as a desktop entry's Exec key wants it: a path with a blank or another
# reserved character is quoted, with `"`, `` ` ``, `$` and `\` escaped inside the quotes;
# a per cent sign is doubled; and the key's value escapes each backslash once more.
set(exec "${program}")
string(REGEX MATCH "[] \t\n\"'\\\\><~|&;$*?#()`[]" reserved "${exec}")
if(reserved)
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
set(VANTRELLE_DESKTOP_EXEC "${exec}")
configure_file("${VANTRELLE_DESKTOP_IN}" "${VANTRELLE_STAGE}/vantrelle.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
  FILES "${VANTRELLE_STAGE}/vantrelle.desktop")
