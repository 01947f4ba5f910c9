# vc_ui_formats: list column formats and display pictures, shared by the window engines
# (and later the report). Included from here and from qt/; defined once.
if(TARGET vc_ui_formats)
  return()
endif()
add_library(vc_ui_formats ${CMAKE_CURRENT_LIST_DIR}/list_format.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/picture.cpp)
target_include_directories(vc_ui_formats PUBLIC ${VC_SRC})
