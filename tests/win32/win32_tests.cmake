# The Windows suites, run under Wine: the file layer against the real
# Win32 calls, and Vorpane.EXE end to end in Xvfb.
add_executable(vorpane_win32_tests
  support/temp_game.cpp
  support/win32_file_times.cpp
  win32/win32_file_system_test.cpp
)
target_include_directories(vorpane_win32_tests PRIVATE .)
target_link_libraries(vorpane_win32_tests PRIVATE vorpane_core GTest::gtest GTest::gtest_main)
add_test(NAME vorpane_win32_tests COMMAND vorpane_win32_tests --gtest_color=no)

# Sends a system command to a window, as a click in its system menu would.
add_executable(send_syscommand win32/send_syscommand.cpp)

find_program(VORPANE_XVFB Xvfb)
find_program(VORPANE_XDOTOOL xdotool)
if(VORPANE_XVFB AND VORPANE_XDOTOOL)
  add_test(NAME vorpane_windows_e2e
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/e2e.sh
      $<TARGET_FILE:Vorpane> $<TARGET_FILE:send_syscommand> ${CMAKE_BINARY_DIR}/wineprefix)
  set_tests_properties(vorpane_windows_e2e PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
else()
  message(WARNING "Xvfb or xdotool missing: the end-to-end test of Vorpane.EXE is left out")
endif()

add_test(NAME vorpane_exe_kind
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-windows-exe $<TARGET_FILE:Vorpane> x86-64)
