# The Debian package, built by scripts/package with `cpack -G DEB`.
set(IR_PACKAGE_MAINTAINER "inventory-request maintainers <maintainers@inventory-request.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME inventory-request)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The inventory-request developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stock requests from hospital departments to inventory locations")
# Debian shows the description as it is written: lines within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Hospital staff request stock from the hospital's inventory locations: pick\n"
    "the department and the location, enter items by code, barcode or name, and\n"
    "save the request under a document number; a supervisor verifies it with a\n"
    "password. Requests are listed, reopened, deleted and printed. The data lives\n"
    "in SQLite files on one computer or on a PostgreSQL server shared by every\n"
    "workstation. Includes inventory-request-admin, which sets up and upgrades\n"
    "the server, backs the data up while clients run and checks it for damage.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${IR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQLite and PostgreSQL drivers as plug-ins, which the shared-library scan cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql")

include(CPack)
