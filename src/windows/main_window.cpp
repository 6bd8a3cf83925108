#include "windows/main_window.h"

#include <array>
#include <new>

#include "app/early_refresh.h"
#include "app/routing_table.h"
#include "platform/win32/wide_text.h"
#include "resource.h"

MainWindow::MainWindow(HINSTANCE instance, std::string programName, EarlyRefresh& early)
    : m_instance(instance),
      m_programName(std::move(programName)),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_about(instance, m_window),
      // The early pass stands in for the installation entry too: it read it.
      m_dlg(DialogServices{m_view, m_boxes, m_chooser, early, m_files, m_exit, m_about,
                           m_programName, nullptr, nullptr, &early}) {}

INT_PTR MainWindow::RunModal() {
    return DialogBoxParamW(m_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &MainWindow::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<MainWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_window = window;
    }
    if (self == nullptr) {
        return FALSE;
    }
    // Nothing may unwind through the system's frames. The handlers report
    // their own file errors; what else escapes them ends here, and the
    // window stays open.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        self->ShowFailure("Not enough memory.");
    } catch (...) {
        self->ShowFailure("An unexpected error occurred.");
    }
    return TRUE;
}

void MainWindow::ShowFailure(const std::string& text) {
    MessageBoxW(m_window, WindowText(text).c_str(), WindowText(m_programName).c_str(),
                MB_OK | MB_ICONSTOP);
}

INT_PTR MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return OnInitDialog();
    }
    for (const MessageRoute& route : kWin32MessageRoutes) {
        if (route.message == message) {
            return (this->*route.handler)(wParam, lParam);
        }
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (const auto handler = FindRoute(WindowEvent::ButtonClicked, id)) {
            m_dlg.RunHandler(*handler);
            return TRUE;
        }
        if (id == IDCANCEL) {
            // Escape ends the window at once, without the close handling.
            EndDialog(m_window, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_CLOSE) {
        if (const auto handler = FindRoute(WindowEvent::Close, 0)) {
            m_dlg.RunHandler(*handler);
        }
        EndDialog(m_window, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR MainWindow::OnInitDialog() {
    RECT before{};
    GetWindowRect(m_window, &before);
    m_view.Attach(GetDlgItem(m_window, IDC_CACHE_LIST));
    AddAboutToSystemMenu();
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_dlg.RunHandler(&CVorpaneDlg::OnInitDialog);
    // Centred on the screen when first shown, unless moved meanwhile.
    RECT after{};
    GetWindowRect(m_window, &after);
    if (EqualRect(&before, &after)) {
        CenterWindowOver(m_window, nullptr);
    }
    return TRUE;
}

void MainWindow::AddAboutToSystemMenu() {
    const HMENU menu = GetSystemMenu(m_window, FALSE);
    if (menu == nullptr) {
        return;
    }
    std::array<wchar_t, 256> text{};
    if (LoadStringW(m_instance, IDS_ABOUTBOX, text.data(), static_cast<int>(text.size())) > 0) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.data());
    }
}

INT_PTR MainWindow::OnSysCommand(WPARAM id, LPARAM) {
    // The system keeps the low four bits of a command for itself.
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        m_dlg.RunHandler(&CVorpaneDlg::OnAbout);
        return TRUE;
    }
    return FALSE;
}

INT_PTR MainWindow::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(m_window)) {
        return FALSE;
    }
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(m_window, &paint);
    SendMessageW(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(m_window, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_window, &paint);
    return TRUE;
}

INT_PTR MainWindow::OnQueryDragIcon(WPARAM, LPARAM) {
    // Returned as it is: the one value a dialog procedure hands back directly.
    return reinterpret_cast<INT_PTR>(m_hIcon);
}
