# The results-table benchmark: the keyed-table driver against plain SQLite.
add_executable(resumen_bench resumen_bench.cpp)
target_include_directories(resumen_bench PRIVATE ${VC_SRC})
target_link_libraries(resumen_bench PRIVATE vc_store SQLite::SQLite3)
