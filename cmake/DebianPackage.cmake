# A Debian package of everything the install rules install: `cpack` in a build folder makes
# tessarin_<version>_<arch>.deb there. Its dependencies are worked out by dpkg-shlibdeps from
# the programs in it (dpkg-dev and file must be installed), never listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessarin)
set(CPACK_PACKAGE_CONTACT "Tessarin <pelorin@tessarin.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Five-in-a-row (gomoku) against the computer")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Five-in-a-row on a 19 x 19 board for one player against the computer, with a\n"
    "Traditional Chinese interface, a hint and a tally of games won kept across runs.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, so no library dependency finds them: Qt's Wayland platform for Wayland desktops
# and a face for the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-arphic-uming | fonts-arphic-ukai")
set(CPACK_STRIP_FILES ON)
include(CPack)
