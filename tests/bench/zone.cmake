# Received chat from dispatch to the queued output pieces.
add_executable(zone_bench ${CMAKE_CURRENT_LIST_DIR}/ZoneBench.cpp)
target_include_directories(zone_bench SYSTEM PRIVATE ${QUILLON_WX_INCLUDE_DIRS})
target_compile_definitions(zone_bench PRIVATE ${QUILLON_WX_DEFINITIONS})
target_compile_options(zone_bench PRIVATE ${QUILLON_WX_CXX_FLAGS})
target_link_libraries(zone_bench PRIVATE quillon_core quillon_testsupport benchmark::benchmark)
