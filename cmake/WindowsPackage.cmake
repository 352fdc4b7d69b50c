# The Windows release archive (make package-windows): byteloom-cli.exe, the README and the
# manual page as text, made from the program's own --help as on Linux, run under Wine.
find_program(HELP2MAN help2man REQUIRED)
find_program(GROFF groff REQUIRED)
set(man ${CMAKE_BINARY_DIR}/man)
set(runner ${man}/byteloom-cli)
file(GENERATE OUTPUT ${runner}
     CONTENT "#!/bin/sh\nexec ${PROJECT_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:byteloom-cli> \"$@\"\n"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                      WORLD_EXECUTE)
add_custom_command(
    OUTPUT ${man}/byteloom-cli.txt
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/man-subcommands ${runner} ${man}/byteloom-cli.h2m
    COMMAND ${HELP2MAN} --no-info --section=1
            --name "the Byteloom hex editor's engine for scripts and batch work"
            --include=${man}/byteloom-cli.h2m --output=${man}/byteloom-cli.1 ${runner}
    COMMAND sh -c "${GROFF} -man -Tascii -P-cbou ${man}/byteloom-cli.1 > ${man}/byteloom-cli.txt"
    DEPENDS byteloom-cli ${PROJECT_SOURCE_DIR}/scripts/man-subcommands
    VERBATIM)
add_custom_target(byteloom_manual_text DEPENDS ${man}/byteloom-cli.txt)
install(FILES ${man}/byteloom-cli.txt ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME byteloom-cli)
set(CPACK_PACKAGE_FILE_NAME "byteloom-cli-${PROJECT_VERSION}-windows-x64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
