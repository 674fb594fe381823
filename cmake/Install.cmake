# What `cmake --install` puts where, and the Debian package CPack builds from it.
# Targets are named here only; they are defined by their own folders.
include(GNUInstallDirs)

# The programs. The waveform viewer and any further program join this list.
set(OMNI_INSTALL_PROGRAMS omnisetup-cli omnisetup-sim)
if(OMNI_BUILD_GUI)
    list(APPEND OMNI_INSTALL_PROGRAMS omnisetup omnisetup-waveform)
endif()
install(TARGETS ${OMNI_INSTALL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop integration: the launcher entry and its icon in the hicolor theme.
install(FILES ${PROJECT_SOURCE_DIR}/data/omnisetup.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/omnisetup.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The help pages, where the desktop program looks for them when installed.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/resources/document/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/omnisetup/document)

# Manual page and format documentation.
install(FILES ${PROJECT_SOURCE_DIR}/doc/omnisetup-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/doc/page-file.md ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/omnisetup)

# The udev rule for the readers' serial ports and keyboard-mode input devices, with the vendor id
# the build was configured for (four lower-case hexadecimal digits, as udev compares them).
set(OMNI_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where udev rules are installed")
math(EXPR omni_vendor "${OMNI_READER_VENDOR_ID}" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" omni_vendor "${omni_vendor}")
string(TOLOWER "${omni_vendor}" omni_vendor)
string(LENGTH "${omni_vendor}" omni_vendor_length)
while(omni_vendor_length LESS 4)
    string(PREPEND omni_vendor "0")
    math(EXPR omni_vendor_length "${omni_vendor_length} + 1")
endwhile()
set(OMNI_UDEV_VENDOR ${omni_vendor})
configure_file(${PROJECT_SOURCE_DIR}/data/70-omnisetup-readers.rules.in
               ${PROJECT_BINARY_DIR}/70-omnisetup-readers.rules @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/70-omnisetup-readers.rules DESTINATION ${OMNI_UDEV_RULES_DIR})

# Debian package: dependencies are found from the installed programs' shared libraries, so the
# package needs the runtime libraries only, never their development packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME omnisetup)
set(CPACK_PACKAGE_VENDOR "OmniSetup developers")
set(CPACK_PACKAGE_CONTACT "OmniSetup developers <omnisetup@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Configure barcode readers and print their menu codes.\n Pick reader settings from a built-in catalog, send them to a reader on a serial\n or USB virtual COM port, or print them as QR or Code 39 menu codes.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Qt finds its platform plugins and the SVG image plugin at run time, which dpkg-shlibdeps cannot
# see; fonts for the menu-code labels likewise.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-dejavu-core")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
