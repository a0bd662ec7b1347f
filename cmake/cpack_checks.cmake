# Read by cpack before it builds the Debian package. Without dpkg-shlibdeps
# CPack would quietly leave out the package's dependencies, and the game
# installed from it could not start; stop instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(VANTOMIR_SHLIBDEPS dpkg-shlibdeps)
  if(NOT VANTOMIR_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps is missing; it gives the package its dependencies: "
      "sudo apt install dpkg-dev")
  endif()
endif()
