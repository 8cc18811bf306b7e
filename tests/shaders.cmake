# The six GLSL programs against the reference compiler at exactly GLSL 3.30 (glslang-tools).
find_program(GLSLANG_VALIDATOR glslangValidator REQUIRED)
add_test(NAME shaders_strict_glsl
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_shaders.sh ${GLSLANG_VALIDATOR}
        ${CMAKE_SOURCE_DIR}/assets/shaders)
