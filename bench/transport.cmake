# Receive path and key table of the transport core.
add_executable(transport_bench ${CMAKE_CURRENT_LIST_DIR}/TransportBench.cpp)
target_link_libraries(transport_bench PRIVATE quillon_testsupport benchmark::benchmark)
