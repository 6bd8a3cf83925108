#include "windows/about_dlg.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "resource.h"
#include "ui/about_template.h"

void CenterWindowOver(HWND window, HWND over) {
    RECT own{};
    GetWindowRect(window, &own);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const HMONITOR monitor = MonitorFromWindow(over ? over : window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        area = info.rcWork;
    }
    RECT target = area;
    if (over != nullptr && IsWindowVisible(over) && !IsIconic(over)) {
        GetWindowRect(over, &target);
    }
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG x = target.left + (target.right - target.left - width) / 2;
    LONG y = target.top + (target.bottom - target.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAboutDlg::ShowAbout() {
    DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner_, &CAboutDlg::DialogProc, 0);
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(window, IDC_ABOUT_NOTICE, WindowText(about_template::kNotice).c_str());
            SetDlgItemTextW(window, IDC_ABOUT_SERVER, WindowText(about_template::kServer).c_str());
            CenterWindowOver(window, GetWindow(window, GW_OWNER));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(window, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
