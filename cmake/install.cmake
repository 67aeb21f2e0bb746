# What `cmake --install` puts where (GNUInstallDirs): the shared library
# with its SONAME, the public headers, the CMake package and pezolva.pc for
# hosts; the launcher, the compaction tool when it is built, their desktop
# entry, icon and man page for workstations.  Included after every target
# is defined.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The launcher finds the library relative to itself, so an install under any
# prefix (cmake --install --prefix, DESTDIR, the Debian package) runs as is.
file(RELATIVE_PATH pezolva_bin_to_lib
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(pezolva_launcher PROPERTIES INSTALL_RPATH "$ORIGIN/${pezolva_bin_to_lib}")

install(TARGETS pezolva EXPORT pezolvaTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Every public header, those other branches add included; the two made by
# the build beside them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/pezolva
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/pezolva/pezolva_export.h
              ${PROJECT_BINARY_DIR}/include/pezolva/versao.h
              ${PROJECT_BINARY_DIR}/include/pezolva/pezolva_importacao_export.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pezolva)
# The import's library (it links libmdb), beside libpezolva, which it links.
install(TARGETS pezolva_importacao LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

install(TARGETS pezolva_launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The component looks for jetcomp beside the program that loaded it.
if(TARGET jetcomp)
  install(TARGETS jetcomp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# find_package(pezolva 0.1 REQUIRED) -> pezolva::pezolva.  The public
# headers need nothing but the C++ library, so the package finds no
# dependency; Qt and SQLite are the shared library's own business.
set(pezolva_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/pezolva)
install(EXPORT pezolvaTargets NAMESPACE pezolva:: DESTINATION ${pezolva_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/pezolvaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/pezolvaConfig.cmake INSTALL_DESTINATION ${pezolva_cmake_dir})
# Version 0: every 0.x is one API, as the SONAME libpezolva.so.0 says.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pezolvaConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pezolvaConfig.cmake
              ${PROJECT_BINARY_DIR}/pezolvaConfigVersion.cmake
  DESTINATION ${pezolva_cmake_dir})

# pezolva.pc is written at install time, under the prefix the install is
# given (cmake --install --prefix P), not the one configured.
install(CODE "
  set(PEZOLVA_PC_TEMPLATE \"${PROJECT_SOURCE_DIR}/cmake/pezolva.pc.in\")
  set(PEZOLVA_PC_OUT \"${PROJECT_BINARY_DIR}/pezolva.pc\")
  set(PEZOLVA_VERSION \"${PROJECT_VERSION}\")
  set(PEZOLVA_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(PEZOLVA_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/install_pc.cmake)

# The workstation's side: the launcher in the desktop's menus, its man page.
install(FILES ${PROJECT_SOURCE_DIR}/data/pezolva.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/pezolva.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/pezolva.1.gz
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/man/pezolva.1 > ${PROJECT_BINARY_DIR}/pezolva.1.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/pezolva.1
  VERBATIM)
add_custom_target(pezolva_man ALL DEPENDS ${PROJECT_BINARY_DIR}/pezolva.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/pezolva.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
