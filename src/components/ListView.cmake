# The sortable report list: the toolkit-free column layout and the Qt view over it.
target_sources(goalvanta_components PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ColumnInfos.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColumnInfos.h
    ${CMAKE_CURRENT_LIST_DIR}/TvItemDelegate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvItemDelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/TvListView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvListView.h
)
