# The GUI program: start-up, the main window and its dialogs over the toolkit adapter.
include(${CMAKE_SOURCE_DIR}/gui/app.cmake)
add_library(merivane_app STATIC startup.cpp main_window.cpp print_range_dialog.cpp
            preferences_dialog.cpp render_wiring.cpp)
target_include_directories(merivane_app PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(merivane_app PUBLIC merivane_gui merivane_msgbox merivane_render
                      merivane_settings merivane_program merivane_forms merivane_gui_app
                      merivane_update merivane_about)

add_executable(merivane main.cpp)
target_link_libraries(merivane PRIVATE merivane_app merivane_resources)
