# The program's own Qt pieces beside the adapter: single instance and the desktop's PDF viewer.
# Included from the GUI folder and from the application; built once.
include_guard(GLOBAL)
add_library(merivane_gui_app STATIC ${CMAKE_CURRENT_LIST_DIR}/app_instance.cpp
            ${CMAKE_CURRENT_LIST_DIR}/app_desktop.cpp)
target_include_directories(merivane_gui_app PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(merivane_gui_app PRIVATE Qt6::Widgets merivane_gui merivane_common xcb)
