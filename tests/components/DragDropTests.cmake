# Message snatchers and the drop target, on the offscreen platform.
add_executable(message_snatchers_tests ${CMAKE_CURRENT_LIST_DIR}/MessageSnatchersTest.cpp)
target_link_libraries(message_snatchers_tests PRIVATE goalvanta_components Qt6::Test)
add_test(NAME message_snatchers_tests COMMAND message_snatchers_tests)
set_tests_properties(message_snatchers_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

add_executable(file_drop_target_tests ${CMAKE_CURRENT_LIST_DIR}/FileDropTargetTest.cpp)
target_link_libraries(file_drop_target_tests PRIVATE goalvanta_components Qt6::Test)
add_test(NAME file_drop_target_tests COMMAND file_drop_target_tests)
set_tests_properties(file_drop_target_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
