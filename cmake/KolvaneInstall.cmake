# Installing like any Linux desktop program: the program in bin/, its help pages (when there
# are any) in share/kolvane/Help, the desktop entry, the AppStream metainfo and the icon in the
# hicolor theme (the SVG and PNGs rendered from it at build time). `cpack -G DEB` packages it.
include(GNUInstallDirs)

set(KOLVANE_APP_ID io.kolvane.Kolvane)

add_executable(kolvane-icon ${PROJECT_SOURCE_DIR}/tools/kolvane-icon.cpp)
target_compile_options(kolvane-icon PRIVATE -Wall -Wextra -Werror)
target_link_libraries(kolvane-icon PRIVATE Qt6::Gui Qt6::Svg)

set(KOLVANE_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/pictures/icon.svg)
set(KOLVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_outputs "")
foreach(size IN LISTS KOLVANE_ICON_SIZES)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/${KOLVANE_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
        # The sanitizer build's tool leaks nothing of ours; Qt's one-off allocations are
        # not worth failing a build for.
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                $<TARGET_FILE:kolvane-icon> ${KOLVANE_ICON_SVG} ${size} ${png}
        DEPENDS kolvane-icon ${KOLVANE_ICON_SVG}
        VERBATIM)
    list(APPEND icon_outputs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_outputs})

install(TARGETS kolvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kolvane-access-reader RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kolvane)
install(FILES ${KOLVANE_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${KOLVANE_APP_ID}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${KOLVANE_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${KOLVANE_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
if(EXISTS ${PROJECT_SOURCE_DIR}/Help)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/Help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kolvane/Help)
endif()

set(CPACK_PACKAGE_NAME kolvane)
set(CPACK_PACKAGE_VENDOR "Kolvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Caller identification for a Japanese ISDN line")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kolvane developers")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
# The shared libraries are found by dpkg-shlibdeps; Qt's plugins (the screen, the SQLite
# driver, the SVG image format) and the Japanese font are loaded at run time and named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6svg6, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
