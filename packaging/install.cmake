# The installed game: bin/velmora is a launcher that starts the binary in lib/velmora/ with
# share/velmora/ (the shaders, Meshes/ and Textures/ of the run folder) as its working directory.
set(VELMORA_INSTALL_BINDIR bin)
set(VELMORA_INSTALL_PROGRAMDIR lib/velmora)
set(VELMORA_INSTALL_DATADIR share/velmora)

# The launcher finds the rest relative to itself, so it works under any prefix and DESTDIR.
file(RELATIVE_PATH VELMORA_DATA_FROM_BIN /${VELMORA_INSTALL_BINDIR} /${VELMORA_INSTALL_DATADIR})
file(RELATIVE_PATH VELMORA_PROGRAM_FROM_BIN /${VELMORA_INSTALL_BINDIR}
    /${VELMORA_INSTALL_PROGRAMDIR}/velmora)
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmora.in ${CMAKE_BINARY_DIR}/packaging/velmora @ONLY)

install(TARGETS velmora RUNTIME DESTINATION ${VELMORA_INSTALL_PROGRAMDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/velmora DESTINATION ${VELMORA_INSTALL_BINDIR})
install(FILES ${VELMORA_SHADERS} DESTINATION ${VELMORA_INSTALL_DATADIR})
install(DIRECTORY ${VELMORA_RUN_DIR}/Meshes ${VELMORA_RUN_DIR}/Textures
    DESTINATION ${VELMORA_INSTALL_DATADIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.desktop DESTINATION share/applications)
install(FILES ${VELMORA_ICON}
    DESTINATION share/icons/hicolor/${VELMORA_ICON_SIZE}x${VELMORA_ICON_SIZE}/apps)

# `make install` and `make package` at the top build only the game, its data and its icon before
# installing; the tests and tools are not needed for that.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# `make package`: a .deb installed under /usr whose dependencies dpkg-shlibdeps reads off the
# binary, so only runtime libraries are named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person 3D puzzle game in a house")
set(CPACK_PACKAGE_DESCRIPTION
    "Four levels, one puzzle each, each ending with a key that opens the way on. The game asks\n\
for full screen or a window size in the terminal it is started from.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
