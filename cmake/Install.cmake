# What `cmake --install` lays out besides the two programs: the desktop entry, the icons, the
# table file type, the AppStream description, the manual pages and the screenshots; and the
# Debian package that `make package` builds from the same layout.
include(GNUInstallDirs)

set(BYTELOOM_ID org.byteloom.Byteloom)
set(resources ${PROJECT_SOURCE_DIR}/resources)

install(FILES ${resources}/${BYTELOOM_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${resources}/${BYTELOOM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${resources}/${BYTELOOM_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${BYTELOOM_ID}.xml)

set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${resources}/icons/byteloom.svg DESTINATION ${icons}/scalable/apps)
install(FILES ${resources}/icons/application-x-byteloom-table.svg
        DESTINATION ${icons}/scalable/mimetypes)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${resources}/icons/${size}/byteloom.png DESTINATION ${icons}/${size}x${size}/apps)
    install(FILES ${resources}/icons/${size}/application-x-byteloom-table.png
            DESTINATION ${icons}/${size}x${size}/mimetypes)
endforeach()

file(GLOB screenshots CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/screenshots/*.png)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${resources}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/byteloom)
install(FILES ${screenshots} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/byteloom/docs/screenshots)

# The manual pages are made from the programs' own --help and --version, so they always list
# the options the programs take.
find_program(HELP2MAN help2man REQUIRED)
set(man ${CMAKE_BINARY_DIR}/man)
add_custom_command(
    OUTPUT ${man}/byteloom.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --section=1
            --name "hex editor for translating console game ROM images"
            --output=${man}/byteloom.1 $<TARGET_FILE:byteloom>
    DEPENDS byteloom
    VERBATIM)
add_custom_command(
    OUTPUT ${man}/byteloom-cli.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${PROJECT_SOURCE_DIR}/scripts/man-subcommands $<TARGET_FILE:byteloom-cli>
            ${man}/byteloom-cli.h2m
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --section=1
            --name "the Byteloom hex editor's engine for scripts and batch work"
            --include=${man}/byteloom-cli.h2m
            --output=${man}/byteloom-cli.1 $<TARGET_FILE:byteloom-cli>
    DEPENDS byteloom-cli ${PROJECT_SOURCE_DIR}/scripts/man-subcommands
    VERBATIM)
add_custom_target(byteloom_manual_pages ALL DEPENDS ${man}/byteloom.1 ${man}/byteloom-cli.1)
install(FILES ${man}/byteloom.1 ${man}/byteloom-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME byteloom)
set(CPACK_PACKAGE_VENDOR Byteloom)
set(CPACK_PACKAGE_CONTACT "Byteloom developers <byteloom@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hex editor for editing and translating console game ROM images")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Byteloom shows a file in rows of 16 bytes with an offset, a hex and a text column that\ndecodes the bytes through a code page, UTF-16 or a table file. Translators dump a game's\ntext through a table into a script and insert it back; byteloom-cli does the same from\nbuild scripts.")
include(CPack)
