# Dependencies point one way: app -> scene -> render, game, camera; game and render may read camera.
# camera/ and game/ include no OpenGL or window header, so the rules are testable without a display.
add_test(NAME layering COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_layering.sh ${CMAKE_SOURCE_DIR})
