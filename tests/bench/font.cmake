# Choosing a chat font with a long backlog shown: restyling the real text control (needs an X display).
if(TARGET quillon_gui)
  add_executable(font_bench ${CMAKE_CURRENT_LIST_DIR}/FontBench.cpp)
  target_link_libraries(font_bench PRIVATE quillon_gui quillon_testsupport benchmark::benchmark)
endif()
