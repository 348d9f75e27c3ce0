# The Debian package (scripts/package builds it): the install tree under /usr, with the
# shared-library dependencies worked out by dpkg-shlibdeps from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkoran)
set(CPACK_PACKAGE_VENDOR "Velkoran")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-pane file manager with a script language of its own")
set(CPACK_PACKAGE_CONTACT "Velkoran maintainers <maintainers@velkoran.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese is the interface language wherever the locale is unset, C or Japanese: without
# a font that has its glyphs every caption shows as boxes, so a Japanese font is a
# dependency (added to the libraries dpkg-shlibdeps finds). The trash can be browsed with
# gio. Scripts' HTTPS requests verify the server against the system's certificate store,
# and Qt's own buttons speak Japanese with its translations: both recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libglib2.0-bin")
set(CPACK_PACKAGE_DESCRIPTION
  "Velkoran shows a directory tree beside the file list of the selected folder,
tabs, a location bar with a launcher, twelve file buffers, a log and progress
bars with the speed and time left of a transfer. Deletes go to the desktop's
trash. Scripts written in Kestrin, a language modelled on ECMAScript, extend
the program; the kestrin command runs them from the console.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
