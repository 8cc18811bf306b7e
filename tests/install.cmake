# The installed game and its Debian package. The sanitizer build runs the same binary through the
# e2e tests already, so these run in the plain build only.
if(NOT VELMORA_SANITIZE)
    set(VELMORA_INSTALL_STAGE ${CMAKE_BINARY_DIR}/test-output/install-stage)
    add_test(NAME install_staged
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/stage.sh ${VELMORA_INSTALL_STAGE}
            ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR})
    set_tests_properties(install_staged PROPERTIES FIXTURES_SETUP velmora_installed)

    add_executable(install_installed_game ${CMAKE_CURRENT_SOURCE_DIR}/install/installed_game.cpp)
    target_link_libraries(install_installed_game PRIVATE velmora_test_support GTest::gtest_main)
    target_compile_definitions(install_installed_game PRIVATE
        VELMORA_INSTALL_STAGE="${VELMORA_INSTALL_STAGE}")
    add_dependencies(install_installed_game velmora velmora_shaders velmora_data velmora_icon)
    add_test(NAME install_installed_game COMMAND ${VELMORA_XVFB}
        $<TARGET_FILE:install_installed_game> WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/test-output)
    set_tests_properties(install_installed_game PROPERTIES
        FIXTURES_REQUIRED velmora_installed TIMEOUT 900)

    add_test(NAME install_package_deb
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/check_package.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR}/test-output/package)
    set_tests_properties(install_package_deb PROPERTIES TIMEOUT 600)
endif()
