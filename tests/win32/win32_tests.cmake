# The Win32 layer's own suite, under Wine (make test-windows then runs
# Vorpane.EXE end to end).
add_executable(vorpane_win32_tests
  support/temp_game.cpp
  support/win32_file_times.cpp
  win32/win32_file_system_test.cpp
)
target_include_directories(vorpane_win32_tests PRIVATE .)
target_link_libraries(vorpane_win32_tests PRIVATE vorpane_core GTest::gtest GTest::gtest_main)
add_test(NAME vorpane_win32_tests COMMAND vorpane_win32_tests --gtest_color=no)

