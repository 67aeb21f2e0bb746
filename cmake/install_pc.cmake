# Run by `cmake --install`: writes pezolva.pc for the prefix of this install
# and installs it (DESTDIR applies, as to every other file).  The variables
# PEZOLVA_* come from the install(CODE) before it (cmake/install.cmake).
set(PEZOLVA_PREFIX "${CMAKE_INSTALL_PREFIX}")
configure_file("${PEZOLVA_PC_TEMPLATE}" "${PEZOLVA_PC_OUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${PEZOLVA_LIBDIR}/pkgconfig"
     TYPE FILE FILES "${PEZOLVA_PC_OUT}")
