# The Debian package of the trainer: `cpack -G DEB` in a configured build tree (scripts/package-deb).
# It holds what the install rules of src/app/Install.cmake put under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bytescope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Norvane)
set(BYTESCOPE_DEB_MAINTAINER "Bytescope maintainers <bytescope@norvane.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${BYTESCOPE_DEB_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trainer for the 8-bit encoding of characters")
# Package tools show these lines as they are, so they stay below 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Bytescope shows how a character is encoded as an 8-bit code. One window
shows the code as eight binary digits on a dot-matrix display, the character
itself on a larger dot-matrix display, and eight bit switches. The learner
steps the code, jumps to A, Z, a, z or 0, or flips single bits, and sees
every change at once in all three places. English and German window texts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# bytescope_VERSION_ARCH.deb, with the architecture dpkg names.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://bytescope.norvane.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the program links come from dpkg-shlibdeps and are added to these. Qt loads its
# platform plugin (xcb, wayland, offscreen) at run time, where no tool can see it, and libqt6gui6
# only recommends it; without it no window opens. The stored window samples "Courier New", which
# fontconfig matches to Liberation Mono, the font of the same widths.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)

include(CPack)
