# The benchmark's figures and table are checked without a display.
if(TARGET unit_bench_report AND TARGET velmora_bench_report)
    target_link_libraries(unit_bench_report PRIVATE velmora_bench_report)
endif()
