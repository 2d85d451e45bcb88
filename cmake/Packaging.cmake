# The Debian package of the whole suite (cpack -G DEB in the build tree):
# programs, libraries, headers, CMake and pkg-config files, PDFium for the
# viewer, man pages and licences, installed under /usr. Runtime
# dependencies come from dpkg-shlibdeps on the packaged binaries, so they
# name Debian 12's own library packages.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/folio-suite RENAME copyright
  COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.md ${PROJECT_SOURCE_DIR}/README.md
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/folio-suite COMPONENT runtime)
file(GLOB FOLIO_MAN_PAGES ${PROJECT_SOURCE_DIR}/man/*.1)
install(FILES ${FOLIO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folio-suite)
set(CPACK_PACKAGE_VENDOR "Folio")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Content protection: encrypted documents and videos, shown only by their own viewers")
set(CPACK_PACKAGE_DESCRIPTION "Libraries that encrypt documents (folioc) and videos (cinelock), the viewers that
decipher them in memory (pageview for PDFs and images, Morlan for videos), an
Office-to-PDF converter (Brevint) and the reference host tool folio-host.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Folio developers <dev@folio.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time rather than linked: the TIFF reader of the document
# viewer, and the office components the converter drives.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt5-image-formats-plugins, libreoffice-writer-nogui | libreoffice-writer, libreoffice-calc-nogui | libreoffice-calc, libreoffice-impress-nogui | libreoffice-impress")
# Libraries the package brings itself: dpkg-shlibdeps looks them up here
# instead of asking which Debian package provides them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${PROJECT_BINARY_DIR}/folioc ${PROJECT_BINARY_DIR}/cinelock ${PROJECT_BINARY_DIR}/pdfium)
include(CPack)
