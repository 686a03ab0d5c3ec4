# Received chat from dispatch to the queued output pieces.
add_executable(zone_bench ${CMAKE_CURRENT_LIST_DIR}/ZoneBench.cpp)
target_link_libraries(zone_bench PRIVATE quillon_testsupport benchmark::benchmark)
