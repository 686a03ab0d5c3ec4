# Checksum, load and inflate of a 4 MiB arena map.
add_executable(map_bench ${CMAKE_CURRENT_LIST_DIR}/MapBench.cpp)
target_link_libraries(map_bench PRIVATE quillon_testsupport benchmark::benchmark)
