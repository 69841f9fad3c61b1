# Native build: the logic on the headless backend, with the unit tests and
# the benchmarks.
file(GLOB PINROW_HEADLESS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/headless/*.cpp)

add_library(pinrow_headless STATIC ${PINROW_LOGIC_SOURCES} ${PINROW_HEADLESS_SOURCES})
target_include_directories(pinrow_headless PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(pinrow_headless PRIVATE -Wall -Wextra)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB PINROW_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${PINROW_UNIT_TESTS}
  ${CMAKE_SOURCE_DIR}/tests/contract/user_headless.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/save_faults_headless.cpp)
target_link_libraries(unit_tests PRIVATE pinrow_headless GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB PINROW_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*_bench.cpp)
if(benchmark_FOUND AND PINROW_BENCHES)
  add_executable(logic_bench ${PINROW_BENCHES})
  target_link_libraries(logic_bench PRIVATE pinrow_headless benchmark::benchmark benchmark::benchmark_main)
endif()

# libFuzzer targets (tests/fuzz/*_fuzz.cpp), built by the clang "sanitize"
# preset, which also instruments the library for them.
option(PINROW_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(PINROW_FUZZ)
  file(GLOB PINROW_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(fuzz_src ${PINROW_FUZZ_TARGETS})
    get_filename_component(fuzz ${fuzz_src} NAME_WE)
    add_executable(${fuzz} ${fuzz_src})
    target_include_directories(${fuzz} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${fuzz} PRIVATE pinrow_headless)
    target_compile_options(${fuzz} PRIVATE -fsanitize=fuzzer)
    target_link_options(${fuzz} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
