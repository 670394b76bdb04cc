# What an installed Vistrel consists of, and the Debian package made from it.
#   bin/vistrel, bin/vistrel-info
#   libexec/vistrel/DivFix                  the AVI repair tool (tools/DivFix)
#   share/applications/vistrel.desktop      MimeType list generated (vistrel-mime-types)
#   share/icons/hicolor/*/apps/vistrel.*    the SVG and PNGs rendered from it
#   share/metainfo/org.vistrel.Vistrel.metainfo.xml
set(packaging_source ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(VISTREL_DESKTOP_ENTRY ${packaging_build}/vistrel.desktop)
set(VISTREL_METAINFO ${packaging_build}/org.vistrel.Vistrel.metainfo.xml)
set(VISTREL_ICON_SIZES 16 22 24 32 48 64 128 256)

# The desktop entry. The tool runs at build time; an ASan build must not fail it on a leak
# report at exit.
add_custom_command(
  OUTPUT ${VISTREL_DESKTOP_ENTRY}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          ${CMAKE_COMMAND} -DMIME_TOOL=$<TARGET_FILE:vistrel-mime-types>
          -DTEMPLATE=${packaging_source}/vistrel.desktop.in -DOUTPUT=${VISTREL_DESKTOP_ENTRY}
          -P ${packaging_source}/WriteDesktopEntry.cmake
  DEPENDS vistrel-mime-types ${packaging_source}/vistrel.desktop.in ${packaging_source}/WriteDesktopEntry.cmake
  COMMENT "Writing vistrel.desktop with the MIME types Vistrel plays")
configure_file(${packaging_source}/org.vistrel.Vistrel.metainfo.xml ${VISTREL_METAINFO} @ONLY)

# The PNG icons, rendered from the one hand-drawn SVG.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: it renders the icons (scripts/deps.sh build installs librsvg2-bin)")
endif()
set(icon_svg ${packaging_source}/icons/vistrel.svg)
set(icon_pngs)
foreach(size IN LISTS VISTREL_ICON_SIZES)
  set(png ${packaging_build}/icons/${size}x${size}/vistrel.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_build}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_svg}
    DEPENDS ${icon_svg}
    COMMENT "Rendering the ${size}x${size} icon")
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vistrel_desktop_files ALL DEPENDS ${VISTREL_DESKTOP_ENTRY} ${icon_pngs})

install(TARGETS vistrel vistrel-info RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The repair tool sits beside the program in the build folder once the build makes it; an
# install takes it from there into the helper folder, where the program looks next.
install(PROGRAMS ${CMAKE_BINARY_DIR}/DivFix DESTINATION ${VISTREL_HELPER_DIR})
install(FILES ${VISTREL_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VISTREL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${VISTREL_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/screenshot.png DESTINATION ${VISTREL_DOC_DIR}/docs)

# cpack -G DEB in a Release build folder. The libraries' packages come from dpkg-shlibdeps;
# what the program loads at run time without linking it is listed here: the GStreamer
# plugins and the General MIDI sound font of the synthesizer, Qt's X11 platform plugin,
# the GL drivers and the interface font.
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "The Vistrel developers")
set(CPACK_PACKAGE_CONTACT "The Vistrel developers <vistrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-click media player that is also a small file manager")
set(CPACK_PACKAGE_DESCRIPTION "Vistrel shows a folder's media files in a list: click a file and it plays at once.
The same window moves, copies, renames and deletes files with one key each.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, \
gstreamer1.0-libav, gstreamer1.0-x, gstreamer1.0-gl, timgm6mb-soundfont | fluid-soundfont-gm, \
qt6-qpa-plugins, libgl1-mesa-dri, fonts-dejavu-core")
# The repair tool rebuilds damaged AVI files with ffmpeg.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")
include(CPack)
