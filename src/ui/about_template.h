#pragma once

#include <string>
#include <string_view>

// A control's place in a dialog template, in dialog units.
struct DialogRect {
    int x;
    int y;
    int width;
    int height;
};

// CAboutDlg's template IDD_ABOUTBOX: what every front end shows in the
// about box and where.
namespace about_template {

inline constexpr std::string_view kCaption = "About Vorpane";
inline constexpr int kWidth = 167;
inline constexpr int kHeight = 162;

// The program icon, resource IDR_MAINFRAME.
inline constexpr DialogRect kIcon{122, 105, 20, 20};

// Shown with its ampersands as they are.
inline constexpr DialogRect kNoticeRect{7, 7, 153, 36};
inline constexpr std::string_view kNotice =
    "Vorpane Version " VORPANE_VERSION
    "\n"
    "Copyright (C) 2026 The Vorpane developers\n"
    "Free to pass on to anyone. Comes without any warranty.";

// Room for four lines advertising a game server; we advertise none.
inline constexpr DialogRect kServerRect{7, 47, 153, 38};
inline constexpr std::string_view kServer = "";

// A reminder of where Extract sends each file type; in these texts an
// ampersand marks an access key and a doubled one shows as one.
inline constexpr DialogRect kFileTypesRect{7, 89, 39, 66};
inline constexpr std::string_view kFileTypes =
    "File Type\n---------------\n.INT\n.U\n.UAX\n.UMX\n.UTX\n.UNR && .*";
inline constexpr DialogRect kSubDirectoriesRect{57, 89, 52, 66};
inline constexpr std::string_view kSubDirectories =
    "Sub-Directory\n----------------------\nSystem\nSystem\nSounds\nMusic\nTextures\nMaps";

// Id 1, the default button.
inline constexpr DialogRect kOkRect{110, 141, 50, 14};
inline constexpr std::string_view kOk = "OK";

}  // namespace about_template

// The text a label shows when its ampersands mark access keys: a single one
// disappears, a doubled one shows as one.
std::string TextWithoutAccessKeys(std::string_view label);
