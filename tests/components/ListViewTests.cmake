# The column layout needs no window; the view runs on the offscreen platform.
add_executable(column_infos_tests ${CMAKE_CURRENT_LIST_DIR}/ColumnInfosTest.cpp)
target_link_libraries(column_infos_tests PRIVATE goalvanta_components GTest::gtest_main)
gtest_discover_tests(column_infos_tests DISCOVERY_TIMEOUT 60)

add_executable(tv_list_view_tests ${CMAKE_CURRENT_LIST_DIR}/TvListViewTest.cpp)
target_link_libraries(tv_list_view_tests PRIVATE goalvanta_components Qt6::Test)
add_test(NAME TvListView COMMAND tv_list_view_tests)
set_tests_properties(TvListView PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

add_executable(tv_item_delegate_tests ${CMAKE_CURRENT_LIST_DIR}/TvItemDelegateTest.cpp)
target_link_libraries(tv_item_delegate_tests PRIVATE goalvanta_components Qt6::Test)
add_test(NAME TvItemDelegate COMMAND tv_item_delegate_tests)
set_tests_properties(TvItemDelegate PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
