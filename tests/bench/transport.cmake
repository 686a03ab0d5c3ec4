# Receive path and key table of the transport core.
add_executable(transport_bench ${CMAKE_CURRENT_LIST_DIR}/TransportBench.cpp)
target_include_directories(transport_bench SYSTEM PRIVATE ${QUILLON_WX_INCLUDE_DIRS})
target_compile_definitions(transport_bench PRIVATE ${QUILLON_WX_DEFINITIONS})
target_compile_options(transport_bench PRIVATE ${QUILLON_WX_CXX_FLAGS})
target_link_libraries(transport_bench PRIVATE quillon_core quillon_testsupport benchmark::benchmark)
