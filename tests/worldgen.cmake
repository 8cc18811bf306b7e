# The world-data checks read the generated files in the run directory, so they depend on the
# generator's run; the determinism check runs the generator itself.
foreach(name worldgen_files worldgen_determinism)
    if(TARGET unit_${name})
        add_dependencies(unit_${name} velmora_data)
    endif()
endforeach()
if(TARGET unit_worldgen_determinism)
    target_compile_definitions(unit_worldgen_determinism PRIVATE
        VELMORA_WORLDGEN="$<TARGET_FILE:velmora_worldgen>")
endif()
