# The Debian package of what cmake/Install.cmake installs (scripts/package.sh builds it):
# ostrel_<version>_<arch>.deb, its dependencies read from the program's libraries by
# dpkg-shlibdeps (Qt 6, QtKeychain, libldap, mimalloc when linked). Qt's X11 platform plugin
# comes with libqt6gui6 on Debian 12, so no plugin package is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "The Ostrel developers")
# The project has no mail address of its own yet: a publisher sets theirs here.
set(OSTREL_PACKAGE_MAINTAINER "The Ostrel developers <ostrel@example.org>"
    CACHE STRING "The Debian package's Maintainer field")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${OSTREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tool to browse, query and edit NDS directory trees")
# The long description as the control file shows it, one line of the text a line there.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Ostrel shows an NDS directory tree in one window of six pages: a browser\n"
    "that reads every attribute value of any object decoded by its syntax, a\n"
    "schema viewer, a schema manager, a query page that searches a subtree,\n"
    "and pages that create, delete, rename, move and edit objects.\n"
    "\n"
    "It opens an embedded demo directory, installed with it, by default, and\n"
    "works on any LDAPv3 server.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the program links (Qt, libldap, QtKeychain for the secret store) are found by
# dpkg-shlibdeps; QtKeychain recommends a secret service itself.
set(CPACK_STRIP_FILES ON)
include(CPack)
