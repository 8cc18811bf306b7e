# The real game under the soak's scripted player for its warm-up and one round of its script: a few
# hundred frames in each level, the board, option keys, clicks and the game's end. In the sanitizer
# build this is the run of the game's frames under AddressSanitizer and UndefinedBehaviorSanitizer.
# It runs on a debug context: a failing OpenGL debug message fails it, and every message is listed.
# The long run with the memory check is `make soak`.
if(TARGET velmora_soak)
    add_test(NAME soak_one_round
        COMMAND ${VELMORA_XVFB} $<TARGET_FILE:velmora_soak> --frames 2100 --no-memory-check --gl-debug
        WORKING_DIRECTORY ${VELMORA_RUN_DIR})
    set_tests_properties(soak_one_round PROPERTIES TIMEOUT 1800)
endif()
