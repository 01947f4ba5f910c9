# The analysis benchmark: module scan and declaration parser over a synthetic application.
add_executable(analysis_bench analysis_bench.cpp analysis_floor.cpp app_generator.cpp)
target_include_directories(analysis_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${VC_SRC})
target_link_libraries(analysis_bench PRIVATE vc_frame vc_analysis SQLite::SQLite3)

# The purge's table work against plain SQLite deleting the same rows.
add_executable(purge_bench purge_bench.cpp)
target_include_directories(purge_bench PRIVATE ${VC_SRC})
target_link_libraries(purge_bench PRIVATE vc_analysis vc_store SQLite::SQLite3 Threads::Threads)
