# The Win32 layer's own suite, and Vorpane.EXE end to end in Xvfb, under Wine.
add_executable(vorpane_win32_tests
  support/temp_game.cpp
  support/win32_file_times.cpp
  win32/win32_file_system_test.cpp
)
target_include_directories(vorpane_win32_tests PRIVATE .)
target_link_libraries(vorpane_win32_tests PRIVATE vorpane_core GTest::gtest GTest::gtest_main)
add_test(NAME vorpane_win32_tests COMMAND vorpane_win32_tests --gtest_color=no)

add_test(NAME vorpane_windows_e2e
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_e2e.py
    $<TARGET_FILE:Vorpane> ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(vorpane_windows_e2e PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
