# The Debian package: `cpack -G DEB` in the build folder writes turftrawler_<version>_<arch>.deb, installing
# under /usr, with the shared libraries' packages found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME turftrawler)
set(CPACK_PACKAGE_VENDOR "Turf Trawler developers")
set(CPACK_PACKAGE_CONTACT "Turf Trawler developers <${TURF_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search the weekly results of a horse-racing simulation")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Turf Trawler imports the weekly results files of an online horse-racing
simulation into a local database and lists every start of a horse, an
owner or a race in a colour-coded results grid, with speed figures,
win-place-show counts and earnings, and the racing record of a stallion's
progeny. The command-line tool turftrawler-cli works on the same database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The menu entry is under Games (Game;SportsGame;), and so is the package.
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the toolkit's platform plugins, which Qt's own
# package only recommends, and the font the results grid draws in (Liberation Sans Narrow).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
