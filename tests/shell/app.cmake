# The GUI program's windows driven on the offscreen platform, and the program run twice.
set(MERIVANE_APP_TEST_LIBS merivane_app merivane_resources merivane_test_pdf merivane_test_desktop
    Qt6::Widgets Qt6::Test)
merivane_add_test(app_window_test SOURCES app_window_test.cpp app_harness.cpp
                  LIBS ${MERIVANE_APP_TEST_LIBS} LABELS program gui)
target_compile_definitions(app_window_test PRIVATE
    MERIVANE_BUILD_LOCALES="${CMAKE_BINARY_DIR}/bin/locale"
    MERIVANE_SAMPLE_LOGO="${CMAKE_SOURCE_DIR}/docs/sample-logo.png")
add_dependencies(app_window_test merivane_catalogues)
# The start reads the catalogues and keeps the window's language out of its children's.
merivane_add_test(app_startup_test SOURCES app_startup_test.cpp app_harness.cpp
                  LIBS ${MERIVANE_APP_TEST_LIBS} LABELS program gui common)
target_compile_definitions(app_startup_test PRIVATE
                           MERIVANE_BUILD_LOCALES="${CMAKE_BINARY_DIR}/bin/locale")
add_dependencies(app_startup_test merivane_catalogues)
# The same start-ups on a Wayland desktop without X (a headless Weston compositor).
merivane_add_command_test(app_startup_wayland LABELS gui
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/wayland-session.sh $<TARGET_FILE:app_startup_test>)
merivane_add_test(app_instance_test SOURCES app_instance_test.cpp
                  LIBS merivane_calendar merivane_test_desktop LABELS gui)
target_compile_definitions(app_instance_test PRIVATE
    MERIVANE_PROGRAM="$<TARGET_FILE:merivane>"
    MERIVANE_DESKTOP_SESSION="${CMAKE_SOURCE_DIR}/tests/support/desktop-session.sh")
add_dependencies(app_instance_test merivane)

# Pictures of the windows for looking at: app_screenshots FOLDER (under
# tests/support/desktop-session.sh for the desktop's own look); a tool over the tests' harness.
add_executable(app_screenshots ${CMAKE_SOURCE_DIR}/tools/app_screenshots.cpp app_harness.cpp)
target_include_directories(app_screenshots PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(app_screenshots PRIVATE ${MERIVANE_APP_TEST_LIBS} GTest::gtest)
set_target_properties(app_screenshots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_definitions(app_screenshots PRIVATE MERIVANE_RESOURCES_DIR="${CMAKE_SOURCE_DIR}/resources")
merivane_add_test(app_dialogs_test SOURCES app_dialogs_test.cpp app_harness.cpp
                  LIBS ${MERIVANE_APP_TEST_LIBS} LABELS gui msgbox)
# Every window on a real desktop with the keyboard and a screen reader's view (AT-SPI).
add_executable(app_desktop_test app_desktop_test.cpp app_harness.cpp)
target_include_directories(app_desktop_test PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(app_desktop_test PRIVATE ${MERIVANE_APP_TEST_LIBS} GTest::gtest
                      GTest::gtest_main)
set_target_properties(app_desktop_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_definitions(app_desktop_test PRIVATE
                           MERIVANE_TREE_WALKER="${CMAKE_CURRENT_SOURCE_DIR}/accessible_tree.py"
                           MERIVANE_PROGRAM="$<TARGET_FILE:merivane>"
                           MERIVANE_BUILD_LOCALES="${CMAKE_BINARY_DIR}/bin/locale"
                           MERIVANE_PSEUDO_LOCALES="${CMAKE_BINARY_DIR}/pseudo-locale"
                           MERIVANE_HELP_DIR="${CMAKE_SOURCE_DIR}/resources/help"
                           MERIVANE_SAMPLE_LOGO="${CMAKE_SOURCE_DIR}/docs/sample-logo.png")
add_dependencies(app_desktop_test merivane merivane_catalogues merivane_pseudo_catalogue)
# At scale 2 on a laptop's 1400 x 900 screen, which leaves every window little room. Each walk
# (English, French, the pseudo-translation) is a test of its own, on a desktop of its own.
foreach(walk "desktop_test;-*French:*Catalogue" "desktop_french_test;*French"
        "desktop_pseudo_test;*Catalogue")
    list(GET walk 0 name)
    list(GET walk 1 filter)
    merivane_add_command_test(app_${name}
        ENVIRONMENT QT_SCALE_FACTOR=2 DESKTOP_SCREEN=1400x900x24 DESKTOP_ACCESSIBILITY=1
        LABELS gui msgbox update about
        COMMAND ${CMAKE_SOURCE_DIR}/tests/support/desktop-session.sh
                $<TARGET_FILE:app_desktop_test> --gtest_filter=${filter})
endforeach()
# The preview against pdftoppm's drawing of the calendar Generate writes, and each input.
merivane_add_test(app_preview_test SOURCES app_preview_test.cpp app_harness.cpp
                  LIBS ${MERIVANE_APP_TEST_LIBS} LABELS program gui render)
target_compile_definitions(app_preview_test PRIVATE
                           MERIVANE_SAMPLE_LOGO="${CMAKE_SOURCE_DIR}/docs/sample-logo.png"
                           MERIVANE_BUILD_LOCALES="${CMAKE_BINARY_DIR}/bin/locale")
add_dependencies(app_preview_test merivane_catalogues)
