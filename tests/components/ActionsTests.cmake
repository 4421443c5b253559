# The application actions and the About box, on the offscreen platform.
goalvanta_qt_test(actions_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/ActionsTest.cpp LIBRARIES goalvanta_components)
