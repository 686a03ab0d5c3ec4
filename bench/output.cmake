# The output area: Print and FlushOneLine into the real text control (needs an X display).
if(TARGET quillon_gui)
  add_executable(output_bench ${CMAKE_CURRENT_LIST_DIR}/OutputBench.cpp)
  target_link_libraries(output_bench PRIVATE quillon_gui quillon_testsupport benchmark::benchmark)
endif()
