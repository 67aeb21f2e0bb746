# The Debian package: `cpack -G DEB` in the build folder gives
# pezolva_<version>_<arch>.deb with everything cmake/install.cmake installs
# under /usr.  Its dependencies are the shared libraries the binaries link
# (dpkg-shlibdeps: Qt 6 Core, Gui and Widgets, SQLite 3, the C++ library),
# plus the Qt platform plugins, without which no window opens.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pezolva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "pezolva")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Componente de manutenção de bases de dados e o seu programa pezolva")
set(CPACK_PACKAGE_DESCRIPTION
    "Cópias de segurança datadas com retenção, aviso de cópias em atraso,\n\
reposição de uma base de dados a partir de uma cópia e a lista de projectos\n\
do posto, para as aplicações de gestão que guardam os seus projectos em\n\
bases de dados SQLite 3: a biblioteca libpezolva.so com os seus cabeçalhos,\n\
o programa pezolva (janelas e terminal) e o seu manual.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed straight under /usr (DESTDIR), so that the files written at
# install time, pezolva.pc, name /usr and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "pezolva <pezolva@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The shared library ships in the package itself: a shlibs file for
# packages built against it, and an ldconfig trigger in place of the
# scripts CPack writes.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_ldconfig_trigger.cmake)
include(CPack)
