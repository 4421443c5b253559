# Message snatchers and the drop target, on the offscreen platform.
goalvanta_qt_test(message_snatchers_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageSnatchersTest.cpp LIBRARIES goalvanta_components)
goalvanta_qt_test(file_drop_target_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileDropTargetTest.cpp LIBRARIES goalvanta_components)
