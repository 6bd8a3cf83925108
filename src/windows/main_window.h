#pragma once

#include <windows.h>

#include <string>

#include "app/vorpane_dlg.h"
#include "platform/process_exit.h"
#include "platform/win32/win32_file_system.h"
#include "windows/about_dlg.h"
#include "windows/win32_services.h"

// The main window from template IDD_MAIN, a Unicode window: runs it modally
// and routes its messages to CVorpaneDlg's handlers.
class EarlyRefresh;

class MainWindow {
  public:
    // `early` reads the game's entry and its index meanwhile; the window
    // takes its list when it would read that index.
    MainWindow(HINSTANCE instance, std::string programName, EarlyRefresh& early);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Returns when the window has ended (or could not be created: -1).
    INT_PTR RunModal();

    using MessageHandler = INT_PTR (MainWindow::*)(WPARAM, LPARAM);

    INT_PTR OnSysCommand(WPARAM id, LPARAM param);
    INT_PTR OnPaint(WPARAM, LPARAM);
    INT_PTR OnQueryDragIcon(WPARAM, LPARAM);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnInitDialog();
    void AddAboutToSystemMenu();
    void ShowFailure(const std::string& text);

    HINSTANCE m_instance;
    std::string m_programName;
    HWND m_window = nullptr;
    HICON m_hIcon = nullptr;

    Win32FileSystem m_files;
    ListBoxView m_view;
    Win32MessageBoxes m_boxes{m_window};
    ShellFolderChooser m_chooser{m_window};
    RuntimeProcessExit m_exit;
    CAboutDlg m_about;
    CVorpaneDlg m_dlg;
};

struct MessageRoute {
    UINT message;
    MainWindow::MessageHandler handler;
};

// The window's own messages, in the order of the main window's routing;
// the buttons and the close box follow through kMainWindowRoutes.
inline constexpr MessageRoute kWin32MessageRoutes[] = {
    {WM_SYSCOMMAND, &MainWindow::OnSysCommand},
    {WM_PAINT, &MainWindow::OnPaint},
    {WM_QUERYDRAGICON, &MainWindow::OnQueryDragIcon},
};
