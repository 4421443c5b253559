# The column layout needs no window; the view runs on the offscreen platform.
add_executable(column_infos_tests ${CMAKE_CURRENT_LIST_DIR}/ColumnInfosTest.cpp)
target_link_libraries(column_infos_tests PRIVATE goalvanta_components GTest::gtest_main)
gtest_discover_tests(column_infos_tests DISCOVERY_TIMEOUT 60)

goalvanta_qt_test(tv_list_view_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/TvListViewTest.cpp LIBRARIES goalvanta_components)
goalvanta_qt_test(tv_item_delegate_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/TvItemDelegateTest.cpp LIBRARIES goalvanta_components)
