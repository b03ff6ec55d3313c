# The rich-text reader: RTF read into plain records (rtf.cpp) and written into a QTextDocument.
add_library(merivane_rtf STATIC ${CMAKE_CURRENT_LIST_DIR}/rtf.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/text_encoding.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/rtf_qt.cpp)
target_include_directories(merivane_rtf PUBLIC ${CMAKE_SOURCE_DIR})
# numbers.h gives the checked number parsing of control-word parameters.
target_link_libraries(merivane_rtf PUBLIC Qt6::Gui PRIVATE merivane_common)
