# The browse benchmark: the browse over the results table against plain SQLite range
# queries reading the same pages.
add_executable(browse_bench browse_bench.cpp)
target_include_directories(browse_bench PRIVATE ${VC_SRC})
target_link_libraries(browse_bench PRIVATE vc_browse vc_store vc_ui_scripted SQLite::SQLite3)
