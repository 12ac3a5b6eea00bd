# What `cmake --install` lays out (see tools/common/install_layout.h for the
# layout) and the Debian package CPack builds from the same rules. Included
# last from the top-level CMakeLists.txt, so every component's targets exist.
set(SONAVEX_HOME lib/sonavex)

# The programs live in their host directory beside the content; bin/ holds
# links. The libraries they load from lib/ are found relative to themselves.
set(sonavex_manifest_entries "")
set(sonavex_bin_links "")
function(sonavex_install_program target link_name in_manifest)
  if(NOT TARGET ${target})
    return()
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS ${target} RUNTIME DESTINATION ${SONAVEX_HOME})
  set(sonavex_bin_links ${sonavex_bin_links} "${link_name}=$<TARGET_FILE_NAME:${target}>"
      PARENT_SCOPE)
  if(in_manifest)
    set(sonavex_manifest_entries ${sonavex_manifest_entries}
        "program ${SONAVEX_HOME}/$<TARGET_FILE_NAME:${target}>" PARENT_SCOPE)
  endif()
endfunction()

sonavex_install_program(sonavex sonavex TRUE)
sonavex_install_program(sonavex-cli sonavex-cli TRUE)
sonavex_install_program(corvane-module corvane-module TRUE)
sonavex_install_program(drvsetup sonavex-drvsetup FALSE)
sonavex_install_program(updater sonavex-updater FALSE)

foreach(lib qm3middle platform corvane_module)
  if(TARGET ${lib})
    set_target_properties(${lib} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${lib} LIBRARY DESTINATION lib)
    list(APPEND sonavex_manifest_entries "library lib/$<TARGET_FILE_NAME:${lib}>")
  endif()
endforeach()

if(TARGET cvusb)
  set_target_properties(cvusb PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS cvusb LIBRARY DESTINATION ${SONAVEX_HOME})
  install(FILES ${CMAKE_SOURCE_DIR}/driver/usbcvmid.inf DESTINATION ${SONAVEX_HOME})
  list(APPEND sonavex_manifest_entries "driver ${SONAVEX_HOME}/$<TARGET_FILE_NAME:cvusb>")
endif()
if(TARGET sonavex_dialogs)
  set_target_properties(sonavex_dialogs PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS sonavex_dialogs LIBRARY DESTINATION ${SONAVEX_HOME})
endif()

# The middleware for other hosts: public headers and a pkg-config file. The
# host windows that carry its notifications come from the platform library,
# which the pkg-config file links too.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/middleware/include/ DESTINATION include/qm3middle
        FILES_MATCHING PATTERN "*.h")
install(FILES ${CMAKE_SOURCE_DIR}/platform/include/platform/host_window.h
        DESTINATION include/qm3middle/platform)
configure_file(${CMAKE_CURRENT_LIST_DIR}/qm3middle.pc.in ${CMAKE_BINARY_DIR}/qm3middle.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qm3middle.pc DESTINATION lib/pkgconfig)

# The generated content library and the module's style bank (not the work
# files a run may have left in the same folder).
install(DIRECTORY ${SONAVEX_DATA_DIR}/ DESTINATION ${SONAVEX_HOME}
        FILES_MATCHING PATTERN "QM3*.toc" PATTERN "*src*_mid.dat" PATTERN "*chord*_mid.dat"
                       PATTERN "p_*.dat" PATTERN "mp_*.dat" PATTERN "style_*.mid"
                       PATTERN "work" EXCLUDE)
if(EXISTS ${CMAKE_SOURCE_DIR}/app/resources/help)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/app/resources/help DESTINATION ${SONAVEX_HOME})
endif()

# The desktop entry only with the application it starts.
if(TARGET sonavex)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/sonavex.desktop DESTINATION share/applications)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sonavex.svg DESTINATION share/icons/hicolor/scalable/apps)

# The udev rule comes from the setup information file, through drvsetup's
# own rule writer.
if(TARGET drvsetup)
  set(udev_rule ${CMAKE_BINARY_DIR}/70-sonavex-cvusb.rules)
  add_custom_command(
    OUTPUT ${udev_rule}
    COMMAND drvsetup --print-udev-rule ${CMAKE_SOURCE_DIR}/driver/usbcvmid.inf > ${udev_rule}
    DEPENDS drvsetup ${CMAKE_SOURCE_DIR}/driver/usbcvmid.inf
    COMMENT "Writing the udev rule for the sound module")
  add_custom_target(sonavex_udev_rule ALL DEPENDS ${udev_rule})
  install(FILES ${udev_rule} DESTINATION lib/udev/rules.d)
endif()

# Last: the manifest, the links in bin/ and the user's install record.
list(JOIN sonavex_manifest_entries "\n" manifest_lines)
list(JOIN sonavex_bin_links ";" bin_links)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install_finish.cmake
     CONTENT "set(SONAVEX_HOME \"${SONAVEX_HOME}\")
set(SONAVEX_VERSION \"${PROJECT_VERSION}\")
set(SONAVEX_MANIFEST_LINES \"${manifest_lines}\")
set(SONAVEX_BIN_LINKS \"${bin_links}\")
include(\"${CMAKE_CURRENT_LIST_DIR}/install_finish.cmake\")
")
install(SCRIPT ${CMAKE_BINARY_DIR}/install_finish.cmake)

# The Debian package: the same files under /usr; its dependencies are the
# runtime packages of scripts/install-deps.sh.
execute_process(COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/install-deps.sh --runtime
                OUTPUT_VARIABLE runtime_packages OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REGEX REPLACE "[ \t\n]+" ", " runtime_packages "${runtime_packages}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonavex)
set(CPACK_PACKAGE_VENDOR "Sonavex")
set(CPACK_PACKAGE_CONTACT "Sonavex developers <developers@sonavex.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Background music composer with a software sound module")
set(CPACK_PACKAGE_DESCRIPTION
    "Composes background music of a given length from a phrase library and plays it on a USB sound module or on the software sound module it ships.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${runtime_packages}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)

# The installed copy in use: see packaging/tests/install_test.sh.
if(TARGET sonavex-cli AND TARGET drvsetup AND TARGET updater)
  add_test(NAME install_end_to_end
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/tests/install_test.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_SOURCE_DIR})
  set_tests_properties(install_end_to_end PROPERTIES TIMEOUT 600)
endif()
