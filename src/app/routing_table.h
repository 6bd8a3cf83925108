#pragma once

#include <optional>

#include "app/vorpane_dlg.h"
#include "resource.h"

// The window events the main window's logic handles.
enum class WindowEvent { ButtonClicked, Close };

struct Route {
    WindowEvent event;
    int controlId;  // 0 where the event concerns no control
    CVorpaneDlg::Handler handler;
};

// From event and control to handler, in the order the main window lists them.
// The front ends add their own routes for painting and the system menu.
inline constexpr Route kMainWindowRoutes[] = {
    {WindowEvent::ButtonClicked, IDC_ABOUT, &CVorpaneDlg::OnAbout},
    {WindowEvent::ButtonClicked, IDC_EXTRACT, &CVorpaneDlg::OnExtract},
    {WindowEvent::Close, 0, &CVorpaneDlg::OnClose},
    {WindowEvent::ButtonClicked, IDC_COMPACT, &CVorpaneDlg::OnCompact},
    {WindowEvent::ButtonClicked, IDC_DELETE, &CVorpaneDlg::OnDelete},
};

inline std::optional<CVorpaneDlg::Handler> FindRoute(WindowEvent event, int controlId) {
    for (const Route& route : kMainWindowRoutes) {
        if (route.event == event && route.controlId == controlId) {
            return route.handler;
        }
    }
    return std::nullopt;
}
