# Where an installed Koravel keeps its files, under the GNU folders, and how each is reached
# from the folder of the programs: the programs find everything relative to themselves, so
# an installed Koravel works from any prefix.
include(GNUInstallDirs)

set(KORAVEL_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/koravel)
set(KORAVEL_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/koravel)
file(RELATIVE_PATH KORAVEL_BIN_TO_PKGLIB ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_LIBDIR}/koravel)
file(RELATIVE_PATH KORAVEL_BIN_TO_PKGDATA ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_DATADIR}/koravel)

# The installed programs load their own libraries from beside themselves; the build tree
# keeps its absolute paths until install.
set(CMAKE_INSTALL_RPATH "$ORIGIN/${KORAVEL_BIN_TO_PKGLIB}")
