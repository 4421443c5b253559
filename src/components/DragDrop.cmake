# Hooking the events of widgets one does not own, and taking drops of files and other
# data on them.
target_sources(goalvanta_components PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MessageSnatchers.h
    ${CMAKE_CURRENT_LIST_DIR}/MessageSnatchers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDropTarget.h
    ${CMAKE_CURRENT_LIST_DIR}/FileDropTarget.cpp
)
