# The application actions (help page, About box, exit, program folder) and the About box.
target_sources(goalvanta_components PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TvActns.h
    ${CMAKE_CURRENT_LIST_DIR}/TvActns.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvAbout.h
    ${CMAKE_CURRENT_LIST_DIR}/TvAbout.cpp
)
