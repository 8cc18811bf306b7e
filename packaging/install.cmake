# The installed game, laid out as Debian lays out games: games/velmora is a launcher that starts
# the binary in libexec/velmora/ with share/games/velmora/ (the shaders, Meshes/ and Textures/ of
# the run folder) as its working directory.
set(VELMORA_INSTALL_BINDIR games)
set(VELMORA_INSTALL_PROGRAMDIR libexec/velmora)
set(VELMORA_INSTALL_DATADIR share/games/velmora)
set(VELMORA_INSTALL_DOCDIR share/doc/velmora)
set(VELMORA_APPSTREAM_ID org.example.velmora)

# The launcher finds the rest relative to itself, so it works under any prefix and DESTDIR.
file(RELATIVE_PATH VELMORA_DATA_FROM_BIN /${VELMORA_INSTALL_BINDIR} /${VELMORA_INSTALL_DATADIR})
file(RELATIVE_PATH VELMORA_PROGRAM_FROM_BIN /${VELMORA_INSTALL_BINDIR}
    /${VELMORA_INSTALL_PROGRAMDIR}/velmora)
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmora.in ${CMAKE_BINARY_DIR}/packaging/velmora @ONLY)

# The manual page and the changelog are installed compressed as Debian wants them: gzip -9, and
# -n so that no name or time stamp makes two builds differ. They are compressed straight into the
# installed tree, so no build target is needed for them and the build folder is not written.
find_program(VELMORA_GZIP gzip REQUIRED)
foreach(doc velmora.6:share/man/man6 changelog:${VELMORA_INSTALL_DOCDIR})
    string(REPLACE ":" ";" doc ${doc})
    list(GET doc 0 name)
    list(GET doc 1 destination)
    install(CODE "set(compressed \"\${CMAKE_INSTALL_PREFIX}/${destination}/${name}.gz\")
message(STATUS \"Installing: \$ENV{DESTDIR}\${compressed}\")
get_filename_component(folder \"\$ENV{DESTDIR}\${compressed}\" DIRECTORY)
file(MAKE_DIRECTORY \"\${folder}\")
execute_process(COMMAND \"${VELMORA_GZIP}\" -9nc \"${CMAKE_CURRENT_LIST_DIR}/${name}\"
    OUTPUT_FILE \"\$ENV{DESTDIR}\${compressed}\" COMMAND_ERROR_IS_FATAL ANY)
file(CHMOD \"\$ENV{DESTDIR}\${compressed}\"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${compressed}\")")
endforeach()

install(TARGETS velmora RUNTIME DESTINATION ${VELMORA_INSTALL_PROGRAMDIR})
# A stripped install (the package) also drops the compiler's version notes, which only tell
# which compiler built it.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELMORA_INSTALL_PROGRAMDIR}/velmora\"
        COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/velmora DESTINATION ${VELMORA_INSTALL_BINDIR})
install(FILES ${VELMORA_SHADERS} DESTINATION ${VELMORA_INSTALL_DATADIR})
install(DIRECTORY ${VELMORA_RUN_DIR}/Meshes ${VELMORA_RUN_DIR}/Textures
    DESTINATION ${VELMORA_INSTALL_DATADIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.desktop DESTINATION share/applications)
install(FILES ${VELMORA_ICON}
    DESTINATION share/icons/hicolor/${VELMORA_ICON_SIZE}x${VELMORA_ICON_SIZE}/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.metainfo.xml
    DESTINATION share/metainfo RENAME ${VELMORA_APPSTREAM_ID}.metainfo.xml)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${VELMORA_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.lintian-overrides
    DESTINATION share/lintian/overrides RENAME velmora)

# `make install` and `make package` at the top build only the game, its data and its icon before
# installing; the tests and tools are not needed for that.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# `make package`: a .deb installed under /usr whose dependencies dpkg-shlibdeps reads off the
# binary, so only runtime libraries are named. Its files carry the time of the last commit (see
# CPackProject.cmake), so two packages of the same tree are the same bytes.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person 3D puzzle game in a house")
set(CPACK_PACKAGE_DESCRIPTION
    "Four levels, one puzzle each, each ending with a key that opens the way\n\
on. The game asks for full screen or a window size in the terminal it is\n\
started from.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(VELMORA_SOURCE_DIR ${CMAKE_SOURCE_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProject.cmake.in
    ${CMAKE_BINARY_DIR}/packaging/CPackProject.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/CPackProject.cmake)
include(CPack)
