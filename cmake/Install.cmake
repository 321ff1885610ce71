# What `cmake --install` puts where, and the Debian package that `cpack -G DEB` (through
# scripts/package) makes of it. The layout comes from cmake/InstallLayout.cmake.

# The program's identity on the desktop. The homepage serves docs/ (the screenshots of the
# software centre); both are placeholders until the project publishes its own address.
set(KORAVEL_APP_ID "invalid.koravel.Koravel" CACHE STRING
    "AppStream component id (reverse domain name of the homepage)")
set(KORAVEL_HOMEPAGE "https://koravel.invalid" CACHE STRING
    "Homepage of the project; HOMEPAGE/docs/*.png are the screenshots")

set(KORAVEL_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(KORAVEL_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

# Programs in bin; the components and the clock they share with the program beside each
# other in the program's own library folder, found through $ORIGIN.
install(TARGETS koravel koravel-market koravel-setup koravel-regsvr
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS pellar koravel-chartstore koravel-clock
    LIBRARY DESTINATION ${KORAVEL_INSTALL_PKGLIBDIR})
set_target_properties(pellar koravel-chartstore koravel-clock PROPERTIES INSTALL_RPATH "$ORIGIN")

# The catalogue the first start loads.
install(FILES ${PROJECT_SOURCE_DIR}/data/companies.csv ${PROJECT_SOURCE_DIR}/data/futures.csv
    DESTINATION ${KORAVEL_INSTALL_PKGDATADIR})

# The menu entry, its icons and the software centre's description.
install(FILES ${KORAVEL_PACKAGING}/koravel.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${KORAVEL_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(${KORAVEL_PACKAGING}/koravel.metainfo.xml.in
    ${KORAVEL_PACKAGING_OUT}/${KORAVEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${KORAVEL_PACKAGING_OUT}/${KORAVEL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the package's own documents, compressed as Debian keeps them (gzip -9n:
# no name, no time stamp, so the same input makes the same package).
find_program(KORAVEL_GZIP gzip REQUIRED)
set(KORAVEL_GZIPPED)
function(koravel_gzip source output)
    add_custom_command(OUTPUT ${output}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
        COMMAND ${KORAVEL_GZIP} -9nf ${output}
        DEPENDS ${source}
        VERBATIM)
    set(KORAVEL_GZIPPED ${KORAVEL_GZIPPED} ${output}.gz PARENT_SCOPE)
endfunction()
set(KORAVEL_MAN_PAGES koravel koravel-market koravel-setup koravel-regsvr)
foreach(page ${KORAVEL_MAN_PAGES})
    koravel_gzip(${KORAVEL_PACKAGING}/man/${page}.1 ${KORAVEL_PACKAGING_OUT}/man/${page}.1)
    install(FILES ${KORAVEL_PACKAGING_OUT}/man/${page}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
koravel_gzip(${KORAVEL_PACKAGING}/changelog ${KORAVEL_PACKAGING_OUT}/changelog)
add_custom_target(koravel_packaging_files ALL DEPENDS ${KORAVEL_GZIPPED})
install(FILES ${KORAVEL_PACKAGING}/copyright ${KORAVEL_PACKAGING_OUT}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/koravel)

# The Debian package. Its dependencies on shared libraries are derived by dpkg-shlibdeps;
# only what the program loads by name at run time, which no tool can see, is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME koravel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Koravel developers")
set(CPACK_PACKAGE_CONTACT "Koravel Dev <dev@koravel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quote bar for the Indian share market (NSE and BSE)")
# The summary above is the synopsis; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Koravel floats at the top of the screen with NIFTY and SENSEX and opens pages
for a watch list with alerts and quote logs, market toppers, Indian and world
indices, a portfolio valued after brokerage and taxes with a profit calculator,
futures, live and historical charts and a ticker strip. It can feed live and
back-filled bars into a charting program through its component Pellar.
.
Out of the box it runs against a built-in simulated market, so everything works
offline. On its first start it sets itself up for the user: data folder,
SQLite database and ODBC data source.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KORAVEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQLite ODBC driver, which the driver manager loads for the data source CompanyList.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqliteodbc")
# A database shared by several machines.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql")
include(CPack)
