# Tests of the list column formats and the display pictures (no display needed).
if(TARGET ui_formats_test)
  return()
endif()
vc_add_test(ui_formats_test
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_format_test.cpp
                    ${CMAKE_CURRENT_LIST_DIR}/picture_test.cpp
            LIBS vc_ui_formats)
