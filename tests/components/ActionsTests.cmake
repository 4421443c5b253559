# The application actions and the About box, on the offscreen platform.
add_executable(actions_tests ${CMAKE_CURRENT_LIST_DIR}/ActionsTest.cpp)
target_link_libraries(actions_tests PRIVATE goalvanta_components Qt6::Test)
add_test(NAME actions_tests COMMAND actions_tests)
set_tests_properties(actions_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
