# The report benchmark: rows laid out on pages through the report's view against plain
# SQLite reading the same rows in name order; pages drawn offscreen.
add_executable(report_bench report_bench.cpp)
target_include_directories(report_bench PRIVATE ${VC_SRC})
target_link_libraries(report_bench PRIVATE vc_views vc_report_qt vc_ui_scripted SQLite::SQLite3)
