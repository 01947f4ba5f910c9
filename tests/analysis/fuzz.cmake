# The libFuzzer target over the module scan and the declaration parser (scripts/fuzz).
add_executable(analysis_fuzz ${CMAKE_CURRENT_LIST_DIR}/analysis_fuzz.cpp)
target_link_libraries(analysis_fuzz PRIVATE vc_frame vc_analysis)
target_link_options(analysis_fuzz PRIVATE -fsanitize=fuzzer)
