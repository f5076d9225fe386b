# The Debian package: `cpack` in the build folder, or tools/package from a clean tree, writes
# parlino_<version>_<arch>.deb. It installs under /usr; its run-time dependencies are read from
# the programs by dpkg-shlibdeps (the Qt 6 libraries, which bring the X11 platform plugin and
# the .ico reader), and it depends on a font with the Japanese captions.
set(PARLINO_MAINTAINER "PARLINO maintainers <maintainers@users.noreply.c-seed-4fef4e92.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parlino)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PARLINO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "test console for a Japanese speech-synthesis module on a serial port")
# Lines of at most 79 characters, as Debian's tools show them on an 80-column terminal.
set(CPACK_PACKAGE_DESCRIPTION
    "PARLINO drives a speech-synthesis module attached by a serial port. From one
window an operator opens the port, fills the send box with MSG lines (typed,
from four preset buttons, or imported from a text file) and has them spoken
one by one, paced by the module's status replies. It also queries the
module's version and status, records and plays its 32 memory slots, plays
its chimes and sets its speed. Scripted runs without a window and a
transcript of the serial line serve test rigs.
.
The package also holds parlino-sim, a simulated module on a pseudo-terminal,
for trying the console without the hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the install makes get the usual modes whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PARLINO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a Japanese font every caption is empty boxes and nothing says why, so one is a
# dependency; so is Qt's own Japanese translation, for the standard buttons and dialogs.
# dpkg-shlibdeps adds the libraries to this.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-vlgothic | fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
