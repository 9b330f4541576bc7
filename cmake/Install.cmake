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
target_compile_definitions(ir_core PRIVATE IR_REPORTS_FROM_BINDIR="${IR_REPORTS_FROM_BINDIR}")

install(TARGETS inventory-request inventory-request-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${REPORT_FILES} DESTINATION ${IR_INSTALL_REPORTSDIR})
install(FILES packaging/${IR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${IR_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/${IR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
