#pragma once

#include <string>
#include <string_view>

#include "resource.h"
#include "ui/dialog_template.h"

// CAboutDlg's template IDD_ABOUTBOX: what every front end shows in the
// about box and where.
namespace about_template {

// Filled in at run time; the resource script holds its first line only.
inline constexpr std::string_view kNotice =
    "Vorpane Version " VORPANE_VERSION
    "\n"
    "Copyright (C) 2026 The Vorpane developers\n"
    "Free to pass on to anyone. Comes without any warranty.";

// Room for four lines advertising a game server; we advertise none.
inline constexpr std::string_view kServer = "";

inline constexpr ControlTemplate kControls[] = {
    {ControlKind::Icon, IDC_STATIC, {122, 105, 20, 20}, ""},
    {ControlKind::PlainText, IDC_ABOUT_NOTICE, {7, 7, 153, 36}, kNotice},
    {ControlKind::Text, IDC_ABOUT_SERVER, {7, 47, 153, 38}, kServer},
    // A reminder of where Extract sends each file type, read side by side.
    {ControlKind::Text,
     IDC_STATIC,
     {7, 89, 39, 66},
     "File Type\n---------------\n.INT\n.U\n.UAX\n.UMX\n.UTX\n.UNR && .*"},
    {ControlKind::Text,
     IDC_STATIC,
     {57, 89, 52, 66},
     "Sub-Directory\n----------------------\nSystem\nSystem\nSounds\nMusic\nTextures\nMaps"},
    {ControlKind::DefaultButton, kOkButtonId, {110, 141, 50, 14}, "OK"},
};

inline constexpr DialogTemplate kDialog{IDD_ABOUTBOX, "About Vorpane", 167, 162, kControls};

}  // namespace about_template

// The text a label shows when its ampersands mark access keys: a single one
// disappears, a doubled one shows as one.
std::string TextWithoutAccessKeys(std::string_view label);
