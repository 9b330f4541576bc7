# Where `cmake --install` puts the program: the client and the administrator program in bin/,
# the report definitions in share/inventory-request/reports (the client finds them from its own
# folder), the desktop entry, icon and AppStream metadata where desktops look for them.
include(GNUInstallDirs)

set(IR_APP_ID org.inventoryrequest.InventoryRequest)
set(IR_INSTALL_REPORTSDIR ${CMAKE_INSTALL_DATADIR}/inventory-request/reports)

# The client looks for its reports beside itself (the build folder), then at this path relative
# to its own folder, so an installed copy works under any prefix.
file(RELATIVE_PATH IR_REPORTS_FROM_BINDIR
    ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${IR_INSTALL_REPORTSDIR})
target_compile_definitions(ir_reports_core PRIVATE IR_REPORTS_FROM_BINDIR="${IR_REPORTS_FROM_BINDIR}")

install(TARGETS inventory-request inventory-request-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${REPORT_FILES} DESTINATION ${IR_INSTALL_REPORTSDIR})
install(FILES packaging/${IR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${IR_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/${IR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

# The Debian changelog's latest entry is this version; its date is the manual pages' date.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog IR_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT IR_CHANGELOG_HEAD MATCHES "^inventory-request \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not begin with an entry for ${PROJECT_VERSION}")
endif()
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog IR_CHANGELOG_TRAILER REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH ", [0-9]+ ([A-Z][a-z][a-z]) ([0-9]+) " IR_CHANGELOG_DATE "${IR_CHANGELOG_TRAILER}")
set(IR_MONTHS Jan January Feb February Mar March Apr April May May Jun June Jul July Aug August
    Sep September Oct October Nov November Dec December)
list(FIND IR_MONTHS "${CMAKE_MATCH_1}" IR_MONTH_AT)
math(EXPR IR_MONTH_AT "${IR_MONTH_AT} + 1")
list(GET IR_MONTHS ${IR_MONTH_AT} IR_MONTH)
set(IR_RELEASE_MONTH "${IR_MONTH} ${CMAKE_MATCH_2}")

# Manual pages and the changelog, compressed as Debian keeps them (gzip -n: no name or time
# stamp, so the same sources give the same package). The administrator program's page is made
# from its own help texts, so it says what --help says.
set(IR_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(IR_GZIP_TO sh -c "gzip -n -9 -c \"$1\" >\"$2\"" gzip-to)
configure_file(packaging/man/inventory-request.1.in ${IR_MAN_DIR}/inventory-request.1 @ONLY)
add_custom_command(OUTPUT ${IR_MAN_DIR}/inventory-request.1.gz
    COMMAND ${IR_GZIP_TO} ${IR_MAN_DIR}/inventory-request.1 ${IR_MAN_DIR}/inventory-request.1.gz
    DEPENDS ${IR_MAN_DIR}/inventory-request.1 VERBATIM)
add_custom_command(OUTPUT ${IR_MAN_DIR}/inventory-request-admin.1.gz
    COMMAND sh ${CMAKE_SOURCE_DIR}/packaging/man/admin-page-from-help $<TARGET_FILE:inventory-request-admin>
            ${PROJECT_VERSION} "${IR_RELEASE_MONTH}" ${IR_MAN_DIR}/inventory-request-admin.1.gz
    DEPENDS inventory-request-admin ${CMAKE_SOURCE_DIR}/packaging/man/admin-page-from-help
            ${CMAKE_SOURCE_DIR}/packaging/man/help-to-roff.awk VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND ${IR_GZIP_TO} ${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(package-documents ALL DEPENDS ${IR_MAN_DIR}/inventory-request.1.gz
    ${IR_MAN_DIR}/inventory-request-admin.1.gz ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${IR_MAN_DIR}/inventory-request.1.gz ${IR_MAN_DIR}/inventory-request-admin.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
