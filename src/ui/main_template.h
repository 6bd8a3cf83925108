#pragma once

#include "resource.h"
#include "ui/dialog_template.h"

// CVorpaneDlg's template IDD_MAIN: the list of cached files with the four
// buttons in a column to its right.
namespace main_template {

inline constexpr ControlTemplate kControls[] = {
    {ControlKind::Text, IDC_STATIC, {7, 7, 200, 8}, "Date / Time  File"},
    {ControlKind::List, IDC_CACHE_LIST, {7, 19, 226, 173}, ""},
    {ControlKind::DefaultButton, IDC_EXTRACT, {241, 20, 50, 32}, "Extract"},
    {ControlKind::Button, IDC_ABOUT, {241, 151, 50, 41}, "About"},
    {ControlKind::Button, IDC_COMPACT, {241, 58, 50, 31}, "Compact Cache.ini"},
    {ControlKind::Button, IDC_DELETE, {241, 103, 50, 31}, "Delete"},
};

inline constexpr DialogTemplate kDialog{IDD_MAIN, "Halden's Vorpane", 298, 199, kControls};

}  // namespace main_template
