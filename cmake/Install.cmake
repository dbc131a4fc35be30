# Installing Vantrelle for one user: `cmake --install <build> --prefix ~/.local` gives
#
#   <prefix>/lib/vantrelle/vantrelle           the program, in a folder of its own, because
#                                              it keeps its settings (vantrelle.ini) beside
#                                              itself and must be able to write there
#   <prefix>/lib/vantrelle/vantrelle-webengine.so   the preview's engine, which the program
#                                              loads from its own folder
#   <prefix>/bin/vantrelle                     a link to the program, for a shell's PATH
#   <prefix>/share/applications/vantrelle.desktop   the desktop's menu entry
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/vantrelle.png
#
# The prefix may be given only at install time, so the menu entry's command is written then.
# DESTDIR is honoured for packaging; the entry names the path without it.

set(VANTRELLE_INSTALL_DIR lib/vantrelle)
set(VANTRELLE_ICON_SIZES 16 32 48)

install(TARGETS vantrelle RUNTIME DESTINATION ${VANTRELLE_INSTALL_DIR})
if(TARGET vantrelle_webengine)
  install(TARGETS vantrelle_webengine LIBRARY DESTINATION ${VANTRELLE_INSTALL_DIR})
endif()

# The icon, from the same picture as the window icon, in the sizes menus and panels use.
set(vantrelle_icon_dir ${CMAKE_BINARY_DIR}/icons)
set(vantrelle_icon_pngs)
foreach(size IN LISTS VANTRELLE_ICON_SIZES)
  list(APPEND vantrelle_icon_pngs ${vantrelle_icon_dir}/${size}x${size}/vantrelle.png)
endforeach()
add_custom_command(OUTPUT ${vantrelle_icon_pngs}
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/icons.sh ${CMAKE_SOURCE_DIR}/src/resources/app.xpm
    ${vantrelle_icon_dir} ${VANTRELLE_ICON_SIZES}
  DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/app.xpm ${CMAKE_CURRENT_LIST_DIR}/icons.sh
  COMMENT "Making the desktop icons"
  VERBATIM)
add_custom_target(vantrelle_icons ALL DEPENDS ${vantrelle_icon_pngs})
# Whoever builds the program (scripts/run.sh builds that target alone) can install it.
add_dependencies(vantrelle vantrelle_icons)
foreach(size IN LISTS VANTRELLE_ICON_SIZES)
  install(FILES ${vantrelle_icon_dir}/${size}x${size}/vantrelle.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# The link and the menu entry are made at install time (InstallDesktop.cmake), when the
# prefix is known, in the build folder, and installed from there, so that they are recorded
# in install_manifest.txt like every other file.
install(CODE "
  set(VANTRELLE_STAGE \"${CMAKE_BINARY_DIR}/install-stage\")
  set(VANTRELLE_PROGRAM_DIR \"${VANTRELLE_INSTALL_DIR}\")
  set(VANTRELLE_DESKTOP_IN \"${CMAKE_SOURCE_DIR}/data/vantrelle.desktop.in\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallDesktop.cmake\")
")
