# Runs at the end of an install: writes the install manifest, links the
# programs into bin/ and, for an install into a live prefix (not a package's
# staging folder), records the manifest for the updater in the user's
# configuration folder.
set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(manifest "${prefix}/${SONAVEX_HOME}/install-manifest.txt")
file(WRITE "${manifest}"
     "# Files an update replaces, relative to the install prefix.\n"
     "sonavex-install-manifest 1\n"
     "version ${SONAVEX_VERSION}\n"
     "${SONAVEX_MANIFEST_LINES}\n")
message(STATUS "Installing: ${manifest}")

file(MAKE_DIRECTORY "${prefix}/bin")
foreach(pair IN LISTS SONAVEX_BIN_LINKS)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 link)
  list(GET parts 1 program)
  file(CREATE_LINK "../${SONAVEX_HOME}/${program}" "${prefix}/bin/${link}" SYMBOLIC)
  message(STATUS "Installing: ${prefix}/bin/${link} -> ../${SONAVEX_HOME}/${program}")
endforeach()

if("$ENV{DESTDIR}" STREQUAL "")
  if(NOT "$ENV{XDG_CONFIG_HOME}" STREQUAL "")
    set(config "$ENV{XDG_CONFIG_HOME}")
  else()
    set(config "$ENV{HOME}/.config")
  endif()
  file(REAL_PATH "${manifest}" manifest_path)
  file(WRITE "${config}/sonavex/install.ini" "[Install]\nManifest=${manifest_path}\n")
  message(STATUS "Recorded the installation in ${config}/sonavex/install.ini")
endif()
