# What `cmake --install` puts in place: the program, the demo data it opens by default, and
# what the desktop needs to list and show it (menu entry, icon in the theme's sizes, software
# centre description), all named by OSTREL_APP_ID. ostrel-ldap-seed is left out: it serves the
# source tree's scripts and tests (scripts/slapd-private.sh), which are not installed.
install(TARGETS ostrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${OSTREL_INSTALL_DATA_DIR})

configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/ostrel.desktop.in
               ${CMAKE_BINARY_DIR}/desktop/${OSTREL_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/ostrel.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${OSTREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${OSTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${OSTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# resources/generator/make_icons.cpp draws these; 32 is the one compiled into the program.
foreach(size 16 22 24 32 48 64 128 256)
    set(icon ${CMAKE_SOURCE_DIR}/resources/icons/ostrel-${size}.png)
    if(size EQUAL 32)
        set(icon ${CMAKE_SOURCE_DIR}/resources/ostrel.png)
    endif()
    install(FILES ${icon} RENAME ${OSTREL_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
