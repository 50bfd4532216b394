# The Debian package, built by `cpack -G DEB` in a build folder
# (scripts/package.sh): the stripped program and its desktop files under /usr,
# with the shared libraries it needs found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fundtally)
# CPack's default takes only three parts of the project's version.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fundtally developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "value holdings at today's quotes")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders in the package are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Fundtally developers <developers@fundtally.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above this and indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Fundtally tells an investor what a set of holdings, such as retirement
savings, is worth today and how it splits across five asset classes: cash,
bonds, stocks, real estate and emerging-market debt. Each holding's price
comes from its public quote page over HTTPS.

Holdings are kept in small profile files (.ftly), which open from the
program, the command line or the file manager.]=])
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugins at run time, out of dpkg-shlibdeps'
# sight; without them the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# Quote sites are checked against the system's certificate store.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ca-certificates)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
