#pragma once

// The modal about box; it returns when the user closes it.
class AboutBox {
  public:
    virtual ~AboutBox() = default;
    virtual void ShowAbout() = 0;
};
