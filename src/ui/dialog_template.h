#pragma once

#include <span>
#include <string_view>

// A control's place in a dialog template, in dialog units.
struct DialogRect {
    int x;
    int y;
    int width;
    int height;
};

enum class ControlKind {
    Text,       // an ampersand marks an access key, a doubled one shows as one
    PlainText,  // ampersands show as they are
    Icon,       // the program icon, IDR_MAINFRAME
    List,
    Button,
    DefaultButton,
};

// IDOK: the OK button, which closes a dialog on every platform.
inline constexpr int kOkButtonId = 1;

struct ControlTemplate {
    ControlKind kind;
    int id;
    DialogRect rect;
    std::string_view text;
};

// A dialog as the Windows resource script lays it out, for the front ends
// that build their windows in code. Controls are in template order, which
// is also the tab order.
struct DialogTemplate {
    int id;
    std::string_view caption;
    int width;
    int height;
    std::span<const ControlTemplate> controls;
};
