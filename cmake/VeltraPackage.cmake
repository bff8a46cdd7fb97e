# `cpack` makes one package of what `cmake --install` puts in place: the
# library, its header and CMake and pkg-config files, and Brickfall. A Debian
# package on Linux; a zip on Windows, whose bin/ folder is the playable game.
set(CPACK_PACKAGE_NAME veltra)
set(CPACK_PACKAGE_VENDOR "Veltra developers")
set(CPACK_PACKAGE_CONTACT "Veltra developers <veltra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2D game engine, with the Brickfall demo game")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Veltra draws textured sprites and text, steps point-mass physics, holds
4x4 matrices and gives exact angle and vector helpers. This package holds the
shared library, its header, CMake and pkg-config files, and Brickfall, a
brick-breaking game built on it (run it with 'brickfall').")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps names the libraries' packages; the game's fallback font is a file, not a library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
include(CPack)
