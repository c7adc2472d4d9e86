# Installation of quillo as a desktop program, and its Debian package:
#   cmake --install build [--prefix ...]     the program, help, desktop entry, icons, metainfo
#   make package (cpack -G DEB in build)      a .deb for Debian 12
include(GNUInstallDirs)

set(QUILLO_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/about/quillo.svg)
set(QUILLO_ICON_SIZES 16 22 24 32 48 64 128 256)
set(QUILLO_ICON_THEME ${CMAKE_BINARY_DIR}/packaging/hicolor)

# The fixed-size icons are drawn from our SVG when the program is built.
add_executable(quillo_render_icons packaging/render_icons.cpp)
target_link_libraries(quillo_render_icons PRIVATE Qt6::Gui Qt6::Svg)
set(QUILLO_ICON_PNGS)
foreach(size IN LISTS QUILLO_ICON_SIZES)
  list(APPEND QUILLO_ICON_PNGS ${QUILLO_ICON_THEME}/${size}x${size}/apps/quillo.png)
endforeach()
add_custom_command(
  OUTPUT ${QUILLO_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:quillo_render_icons> ${QUILLO_ICON_SVG} ${QUILLO_ICON_THEME} ${QUILLO_ICON_SIZES}
  DEPENDS quillo_render_icons ${QUILLO_ICON_SVG}
  COMMENT "Drawing the program icon in the hicolor sizes")
add_custom_target(quillo_icons ALL DEPENDS ${QUILLO_ICON_PNGS})

if(TARGET quillo)
  install(TARGETS quillo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The help window looks for the pages in <prefix>/share/quillo/help.
install(DIRECTORY help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillo/help)
install(FILES packaging/quillo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.orvane.quillo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUILLO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS QUILLO_ICON_SIZES)
  install(FILES ${QUILLO_ICON_THEME}/${size}x${size}/apps/quillo.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text editor for Japanese character codes")
set(CPACK_PACKAGE_DESCRIPTION
    "quillo edits one plain-text document per window in a line-numbered view.\n\
It reads and writes Shift-JIS, EUC-JP, UTF-8 and UTF-16, detects the code of\n\
the files it opens, finds and replaces with its own regular expressions, keeps\n\
crash-recovery backups and prints with page headers.")
set(CPACK_PACKAGE_CONTACT "Orvane <support@orvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.example/quillo/")
# Libraries found by dpkg-shlibdeps, plus the plugins Qt loads at run time:
# the window-system plugins and the SVG icon engine for the toolbar pictures.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n, xdg-utils")
include(CPack)
