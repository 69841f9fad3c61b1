# Windows build: one static pinrow.exe with its resources, plus the small
# helper programs that the end-to-end tests drive under Wine.
enable_language(RC)
file(GLOB PINROW_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(PINROW_SIZE_FLAGS -Os -ffunction-sections -fdata-sections)
# No link time stamp in the PE header, so the same sources give the same
# bytes (a published checksum can then be checked against a rebuild).
set(PINROW_LINK_FLAGS -static -municode -mwindows -Wl,--gc-sections -s
  -Wl,--no-insert-timestamp)

# The resource script takes the project's version.
set(PINROW_RES ${CMAKE_SOURCE_DIR}/res)
configure_file(${PINROW_RES}/pinrow.rc.in ${CMAKE_BINARY_DIR}/pinrow.rc @ONLY)

add_executable(pinrow WIN32
  ${CMAKE_SOURCE_DIR}/src/app/main.cpp
  ${PINROW_LOGIC_SOURCES} ${PINROW_WIN32_SOURCES}
  ${CMAKE_BINARY_DIR}/pinrow.rc)
target_include_directories(pinrow PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(pinrow PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
target_compile_options(pinrow PRIVATE -Wall -Wextra ${PINROW_SIZE_FLAGS})
target_link_options(pinrow PRIVATE ${PINROW_LINK_FLAGS})
target_link_libraries(pinrow PRIVATE comctl32 user32 gdi32 kernel32)
# A build that writes time stamps at its marks (src/platform/trace.h), to
# find where the time goes; configure it in a folder of its own:
#   cmake --preset windows -B build/trace -DPINROW_TRACE=ON
option(PINROW_TRACE "Write time stamps at the marks (platform/trace.h)" OFF)
if(PINROW_TRACE)
  target_compile_definitions(pinrow PRIVATE PINROW_TRACE)
endif()

# Test tools (not shipped): the driver that plays the user under Wine and
# the bare baseline program for the benchmarks.
file(GLOB PINROW_E2E_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.cpp)
foreach(tool_src ${PINROW_E2E_TOOLS})
  get_filename_component(tool ${tool_src} NAME_WE)
  add_executable(${tool} ${tool_src})
  target_compile_definitions(${tool} PRIVATE UNICODE _UNICODE NOMINMAX)
  target_link_options(${tool} PRIVATE -static -municode)
  target_link_libraries(${tool} PRIVATE user32 gdi32 kernel32 psapi)
endforeach()

# The floor of the settings dialog's opening (tests/bench/dialog_bench.py):
# a bare program with the app's manifest that makes the same windows.
configure_file(${CMAKE_SOURCE_DIR}/tests/bench/dialog_floor.rc.in
  ${CMAKE_BINARY_DIR}/dialog_floor.rc @ONLY)
add_executable(dialog_floor WIN32 ${CMAKE_SOURCE_DIR}/tests/bench/dialog_floor.cpp
  ${CMAKE_BINARY_DIR}/dialog_floor.rc)
target_compile_definitions(dialog_floor PRIVATE UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0A00)
target_link_options(dialog_floor PRIVATE -static -municode -mwindows)
target_link_libraries(dialog_floor PRIVATE comctl32 user32 gdi32 kernel32)

# The platform contract suite against the Win32 backend: the same tests the
# unit tests run on the headless backend, run under Wine by the end-to-end
# tests. GoogleTest is built from the sources Debian ships; MinGW's default
# thread model lacks std::mutex, so its Notification comes from a header.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PUBLIC
  -include ${CMAKE_SOURCE_DIR}/tests/contract/gtest_mingw_notification.h)
file(GLOB PINROW_RUNTIME_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/runtime/*.cpp)
# The save's system calls go through the tests' fault injection here alone
# (PINROW_SAVE_FAULTS): pinrow.exe is built without it. The byte-exact code
# page text of the store runs on the shipped conversion too.
add_executable(contract_tests
  ${CMAKE_SOURCE_DIR}/tests/unit/platform_contract_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/user_win32.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/save_faults_win32.cpp
  ${CMAKE_SOURCE_DIR}/tests/contract/files_win32_test.cpp
  ${CMAKE_SOURCE_DIR}/src/store/ansi_text.cpp
  ${PINROW_RUNTIME_SOURCES} ${PINROW_WIN32_SOURCES})
target_include_directories(contract_tests PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(contract_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00
  PINROW_SAVE_FAULTS)
target_link_options(contract_tests PRIVATE -static)
target_link_libraries(contract_tests PRIVATE gtest gtest_main comctl32 user32 gdi32 kernel32)
