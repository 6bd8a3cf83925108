#pragma once

#include <windows.h>

#include "platform/file_system.h"

// The text form the program's strings are in now: the file system switches
// it, the window reads it to show those strings.
class Win32TextForm {
  public:
    TextForm Get() const { return form_; }
    void Use(TextForm form) { form_ = form; }
    // For MultiByteToWideChar.
    UINT CodePage() const { return CodePageOf(form_); }
    static UINT CodePageOf(TextForm form) { return form == TextForm::Utf8 ? CP_UTF8 : CP_ACP; }

  private:
    TextForm form_ = TextForm::CodePage;
};
