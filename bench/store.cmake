# The results-table benchmark: the keyed-table driver against plain SQLite.
add_executable(resumen_bench resumen_bench.cpp)
target_include_directories(resumen_bench PRIVATE ${VC_SRC})
target_link_libraries(resumen_bench PRIVATE vc_store SQLite::SQLite3)

# The purge's table work against plain SQLite deleting the same rows.
add_executable(purge_bench purge_bench.cpp)
target_include_directories(purge_bench PRIVATE ${VC_SRC})
target_link_libraries(purge_bench PRIVATE vc_views vc_store SQLite::SQLite3 Threads::Threads)
