# Included from bench/render/CMakeLists.txt: the five page layouts of the Month, Quarter,
# Three-year, Keyboard strip and Planner styles.
merivane_add_benchmark(layouts_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/layouts_bench.cpp
                       LIBS merivane_render)
