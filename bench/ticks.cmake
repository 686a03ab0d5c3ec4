# The longest tick under a hostile server's input, drawing into real widgets (needs an X display).
if(TARGET quillon_gui)
  add_executable(worst_tick_bench ${CMAKE_CURRENT_LIST_DIR}/WorstTickBench.cpp)
  target_link_libraries(worst_tick_bench PRIVATE quillon_gui quillon_testsupport benchmark::benchmark ZLIB::ZLIB)
endif()
