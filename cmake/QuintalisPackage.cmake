# `cpack -G DEB` in a build folder makes a Debian package of what
# `cmake --install` puts in place. Its dependencies are read from the shared
# libraries the programs link (dpkg-shlibdeps, package dpkg-dev).
set(CPACK_PACKAGE_NAME quintalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulates the star test of a telescope")
set(CPACK_PACKAGE_DESCRIPTION
  "Quintalis shows what a star, a close double star or a planet looks like\n"
  "through a telescope whose optics are not perfect: defocus, coma,\n"
  "astigmatism, spherical aberration, tube currents, pinched optics, a\n"
  "turned-down edge, turbulence and mirror roughness. It draws the star\n"
  "image, the PSF and MTF plots and the wavefront map.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "${QUINTALIS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUINTALIS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUINTALIS_HOMEPAGE}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Files and folders as Debian wants them (0644, 0755), whatever the umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin (xcb, wayland), which the Qt libraries
# only recommend; TIFF planet pictures need the image format plugins, and
# the FITS maps the cfitsio library (also found from the programs'
# libraries, named here so that it is never left out).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins, libcfitsio10")
include(CPack)
