#pragma once

#include <string>

enum class BoxStyle {
    Warning,       // exclamation mark, OK
    Stop,          // stop sign, OK
    Confirmation,  // exclamation mark, Yes and No, No the default
};

enum class BoxButton { Ok, Yes, No };

// Modal message boxes owned by the main window.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Shows the text and waits; returns the button pressed.
    virtual BoxButton Show(const std::string& text, const std::string& caption, BoxStyle style) = 0;
};
