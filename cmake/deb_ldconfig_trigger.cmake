# Run by cpack after it made the Debian package (CPACK_POST_BUILD_SCRIPTS).
# CPack gives a package with a library in /usr/lib a postinst and a postrm
# that call ldconfig; dpkg keeps a package that has a postrm as "config
# files" after `apt-get remove`, its postrm left in dpkg's database.  The
# library cache is refreshed instead by an ldconfig trigger, as Debian's
# own library packages do, and the two scripts go: the package then
# installs and removes without a trace.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-trigger")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
