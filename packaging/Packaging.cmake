# Included from the top-level CMakeLists.txt after the programs are defined:
# install rules for the three programs, the desktop entry, the icon and the
# AppStream metadata, and the Debian package that holds them:
#
#   cmake --build build && (cd build && cpack -G DEB)   ->  build/quorvane_3.6.0_amd64.deb
#
# Only with the application: a build without it (sanitizers, fuzz) has no package.

if(NOT TARGET quorvane)
  return()
endif()

include(GNUInstallDirs)

set(QUORVANE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUORVANE_DESKTOP_ID quorvane.desktop)
set(QUORVANE_METAINFO io.github.quorvane.Quorvane.metainfo.xml)

install(TARGETS quorvane quorvane-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quorvane-mowersim)
  install(TARGETS quorvane-mowersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${QUORVANE_PACKAGING_DIR}/${QUORVANE_DESKTOP_ID} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVANE_PACKAGING_DIR}/${QUORVANE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the SVG for every size, and PNGs at the sizes desktops still look
# for first, rendered at build time by the pictures' render tool. That tool
# renders at the size the SVG declares, so each size gets a copy of the SVG
# that declares it (the drawing's viewBox stays).
set(QUORVANE_ICON_SVG ${QUORVANE_PACKAGING_DIR}/quorvane.svg)
install(FILES ${QUORVANE_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(READ ${QUORVANE_ICON_SVG} quorvane_icon_text)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUORVANE_ICON_SVG})
if(NOT quorvane_icon_text MATCHES "<svg[^>]* width=\"[0-9]+\" height=\"[0-9]+\"")
  message(FATAL_ERROR "${QUORVANE_ICON_SVG}: its <svg> element must declare width=\"N\" height=\"N\"")
endif()
set(QUORVANE_ICON_PNGS)
foreach(size 48 128)
  set(sized_svg ${CMAKE_BINARY_DIR}/icons/quorvane-${size}.svg)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/quorvane.png)
  string(REGEX REPLACE "<svg([^>]*) width=\"[0-9]+\" height=\"[0-9]+\"" "<svg\\1 width=\"${size}\" height=\"${size}\""
         sized_text "${quorvane_icon_text}")
  file(CONFIGURE OUTPUT ${sized_svg} CONTENT "${sized_text}" @ONLY)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND render_pictures --transparent ${sized_svg} ${png}
    DEPENDS render_pictures ${sized_svg}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND QUORVANE_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(quorvane_icons ALL DEPENDS ${QUORVANE_ICON_PNGS})

# ---- documentation --------------------------------------------------------------
# What every well-kept package brings: the copyright in the machine-readable
# format, the changelog and the manual pages compressed as the distribution
# wants them (gzip -9n: no name or time stamp, so two builds give the same
# bytes), and the user guide with its pictures. The lintian overrides say why
# the catalogue's own spellings stay.
set(QUORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quorvane)
find_program(GZIP_PROGRAM gzip REQUIRED)
set(QUORVANE_COMPRESSED_DOCS)
function(quorvane_gzip input output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${GZIP_PROGRAM} -9n -c ${input} > ${output}
    DEPENDS ${input}
    VERBATIM)
  set(QUORVANE_COMPRESSED_DOCS ${QUORVANE_COMPRESSED_DOCS} ${output} PARENT_SCOPE)
endfunction()

quorvane_gzip(${QUORVANE_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz ${QUORVANE_PACKAGING_DIR}/copyright DESTINATION ${QUORVANE_DOC_DIR})
foreach(page quorvane quorvane-tool quorvane-mowersim)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${CMAKE_BINARY_DIR}/doc/man/${page}.1 @ONLY)
  quorvane_gzip(${CMAKE_BINARY_DIR}/doc/man/${page}.1 ${CMAKE_BINARY_DIR}/doc/man/${page}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/doc/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(quorvane_docs ALL DEPENDS ${QUORVANE_COMPRESSED_DOCS})
install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.md DESTINATION ${QUORVANE_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/pictures DESTINATION ${QUORVANE_DOC_DIR} FILES_MATCHING PATTERN "*.png")
install(FILES ${QUORVANE_PACKAGING_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME quorvane)

# ---- the Debian package -------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_CONTACT "Quorvane maintainers <quorvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for dealers of Tarvex robotic lawn mowers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME quorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # quorvane_3.6.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary is the Description line's synopsis; this, its body.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A dealer plugs a Tarvex robotic lawn mower into a serial port of the PC
and uses Quorvane to upgrade the mower's firmware from a TVF file, read
the mower's history and file it in a local database of mower records.
.
The package holds the application (quorvane), its command-line companion
(quorvane-tool) and a mower simulator on a pseudo-terminal
(quorvane-mowersim).")
# The shared libraries the programs link (Qt 6, the C++ runtime) become the
# Depends line, computed by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tile captions' font and the toolkit's own texts in the dealer's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n")

include(CPack)
