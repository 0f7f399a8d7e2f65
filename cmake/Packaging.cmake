# The Debian package: `cpack --config build/CPackConfig.cmake -G DEB` makes
# nbreport_<version>_<arch>.deb from the install rules (cmake/Install.cmake)
# and the package's own documents.
if(WIN32)
    return()
endif()

# Debian wants a copyright file and a changelog compressed without a time
# stamp, in the package's documentation folder.
find_program(NBR_GZIP gzip REQUIRED)
set(changelog "${CMAKE_BINARY_DIR}/changelog.gz")
add_custom_command(OUTPUT "${changelog}"
    COMMAND "${NBR_GZIP}" -9nc "${CMAKE_SOURCE_DIR}/packaging/changelog" > "${changelog}"
    DEPENDS "${CMAKE_SOURCE_DIR}/packaging/changelog"
    COMMENT "Compressing the package's changelog")
add_custom_target(nbreport-changelog ALL DEPENDS "${changelog}")
install(FILES "${CMAKE_SOURCE_DIR}/packaging/copyright" "${changelog}"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(NBR_PACKAGE_MAINTAINER "nbreport maintainers <nbreport@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nbreport)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
# The programs are stripped while the package is made, and what stripping
# removes goes into nbreport-dbgsym (a .ddeb beside the .deb), for reading a
# user's core dump or stack trace.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_SOURCE_DIR}/cmake/DbgsymRepair.cmake")
# Stripping keeps the compiler's version notes (.comment), which Debian's own
# packages drop too.
foreach(program nbreport nbreport-export nbreport-make-demo)
    install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${NBR_INSTALL_PROGRAMDIR}/${program}\"
        COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NBR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "monthly report of non-budget reimbursements (非预算报销月报)
A desktop client for the finance office: it reads the organisation's SQL
Server database read-only and sums the non-budget reimbursement claim lines
of the ticked departments per accounting subject and month, opens the claim
lines behind any month, and exports both grids to .xlsx workbooks.
nbreport-export makes the same workbooks without a display;
nbreport-make-demo makes a demo database to try it without a server.")
# The libraries linked come from dpkg-shlibdeps (the ODBC driver manager
# among them; Qt's xcb and offscreen platforms come with libqt6gui6). What is
# only loaded at run time is named here: the SQL Server driver (FreeTDS), a
# Chinese font and Qt's Chinese texts. The SQLite driver only serves an
# embedded database file (Engine=SQLite, as the demo's), so it is
# recommended; unixodbc's isql is for trying a connection by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "tdsodbc, fonts-noto-cjk | fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "unixodbc")

# prerm takes away what the programs write into their own folder, which
# would otherwise keep it from being removed.
set(NBR_PACKAGE_PROGRAMDIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${NBR_INSTALL_PROGRAMDIR}")
configure_file(packaging/prerm.in "${CMAKE_BINARY_DIR}/packaging/prerm" @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/packaging/prerm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
