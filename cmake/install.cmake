# Installs the game for players, and describes the Debian package that CPack
# builds from the same install:
#
#   cmake --install BUILD --prefix ~/.local        # for one user
#   cpack --config BUILD/CPackConfig.cmake -B DIR  # DIR/vantomir_VERSION_ARCH.deb
#
# Installed: the program, its desktop entry, the hicolor icons (16-256 px and
# scalable), the AppStream metainfo, the manual page in section 6, and the
# copyright and changelog files. Neither vantomir-tool nor the generators are
# installed. Nothing here is built: the rules only copy (the manual page and
# the changelog are compressed while installing), so the build is no slower.
include(GNUInstallDirs)

set(VANTOMIR_APP_ID io.github.vantomir.vantomir)  # AppStream id; the desktop entry's id is "vantomir"

# The program goes to games/ when installing to /usr, as Debian keeps its
# games in /usr/games (in every user's PATH there), and to bin/ anywhere else:
# ~/.local/bin is in a user's PATH, ~/.local/games is not. The choice is made
# when installing, because the prefix may be given only then (--prefix). The
# same step hands the later ones what they need from this configuration.
install(CODE "
  set(VANTOMIR_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(VANTOMIR_BINARY_DIR \"${CMAKE_BINARY_DIR}\")
  set(VANTOMIR_STRIP \"${CMAKE_STRIP}\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(VANTOMIR_PROGRAM_DIR games)
  else()
    set(VANTOMIR_PROGRAM_DIR bin)
  endif()")
install(TARGETS vantomir RUNTIME DESTINATION "\${VANTOMIR_PROGRAM_DIR}")
# A stripped install (the package) also drops the compiler's notes, as
# Debian's own packaging does.
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP AND VANTOMIR_STRIP)
    execute_process(COMMAND "${VANTOMIR_STRIP}" --remove-section=.comment --remove-section=.note
      "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VANTOMIR_PROGRAM_DIR}/vantomir")
  endif()
]])
# The global offset table read-only from the start (relro, bind now), as
# Debian hardens its programs; a change of linking only.
target_link_options(vantomir PRIVATE LINKER:-z,relro,-z,now)

install(FILES dist/vantomir.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/${VANTOMIR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES assets/icons/vantomir-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vantomir.png)
endforeach()
install(FILES assets/icons/vantomir.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the changelog, compressed as Debian wants them: gzip -9
# without a name or a date in the header, so the package is reproducible.
set(VANTOMIR_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vantomir)
install(FILES dist/copyright DESTINATION ${VANTOMIR_DOCDIR})
install(CODE "set(VANTOMIR_COMPRESSED \"vantomir.6;${CMAKE_INSTALL_MANDIR}/man6;changelog;${VANTOMIR_DOCDIR}\")")
install(CODE [[
  while(VANTOMIR_COMPRESSED)
    list(POP_FRONT VANTOMIR_COMPRESSED name dir)
    set(compressed "${VANTOMIR_BINARY_DIR}/install/${name}.gz")
    file(MAKE_DIRECTORY "${VANTOMIR_BINARY_DIR}/install")
    execute_process(COMMAND gzip -9 -n -c "${VANTOMIR_SOURCE_DIR}/dist/${name}"
      OUTPUT_FILE "${compressed}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "gzip failed on dist/${name}")
    endif()
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${dir}" TYPE FILE FILES "${compressed}")
  endwhile()
]])

#------------------------------------------------------------------------------
# The Debian package: cpack --config BUILD/CPackConfig.cmake
#------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantomir)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantomir developers")
set(CPACK_PACKAGE_CONTACT "The Vantomir developers <vantomir@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vantomir_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)   # Depends from the libraries the program links (dpkg-shlibdeps)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "fast, horizontally scrolling shoot-'em-up
Vantomir is a fast, horizontally scrolling shoot-'em-up. You fly a small
ship over a landscape that wraps round, facing left or right and firing
along your facing. Carriers launch creatures that wander or hunt you, pods
drift and burst into swarms, bullet rings or debris, and hunter swarmers
arrive in waves when a level drags on.

There are 21 levels. Play with the mouse as a virtual stick, the keyboard
or a game controller, full screen or in a window.")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cpack_checks.cmake)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
