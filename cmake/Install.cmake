# Installed like any desktop program: the executables, a menu entry with a shortcut
# action for the capture, the icon in the hicolor theme, AppStream metadata and a man
# page. `make package` wraps the same files into a Debian package.
include(GNUInstallDirs)

# Installing and packaging take what is built and do not build the whole tree (tests,
# benchmarks) first: `make package` at the top builds before it packages, and the
# packaging test must not rebuild the tree it is part of.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CLIPNEST_APP_ID invalid.clipnest.Clipnest)
set(CLIPNEST_DESKTOP_SRC ${PROJECT_SOURCE_DIR}/Resources/desktop)

install(TARGETS clipnest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The engine's command-line front end: records an area without the tray program.
if(TARGET clipnest-rec)
    install(TARGETS clipnest-rec RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${CLIPNEST_DESKTOP_SRC}/${CLIPNEST_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${CLIPNEST_DESKTOP_SRC}/${CLIPNEST_APP_ID}.metainfo.xml
    ${PROJECT_BINARY_DIR}/desktop/${CLIPNEST_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/desktop/${CLIPNEST_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(${CLIPNEST_DESKTOP_SRC}/clipnest.1 ${PROJECT_BINARY_DIR}/desktop/clipnest.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/desktop/clipnest.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET clipnest-rec)
    # One page tells of both commands.
    install(CODE "file(CREATE_LINK clipnest.1
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/clipnest-rec.1\" SYMBOLIC)")
endif()

foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/Resources/icons/hicolor/${size}x${size}/apps/clipnest.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/Resources/icons/hicolor/scalable/apps/clipnest.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian package. Its library dependencies are read from the executables
# (dpkg-shlibdeps); the X platform plugin is loaded at run time, so no library
# names it and it is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clipnest)
set(CPACK_PACKAGE_VENDOR "Clipnest")
set(CPACK_PACKAGE_CONTACT "Clipnest developers <clipnest@clipnest.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Screen recorder that shares a link to the video")
set(CPACK_PACKAGE_DESCRIPTION "Clipnest lives in the system tray. It records an area of the \
screen to an MP4 video, with or without the microphone, then saves it or uploads it to a \
video service and puts the link on the clipboard.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
