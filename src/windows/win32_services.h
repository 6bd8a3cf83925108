#pragma once

#include <windows.h>

#include "platform/win32/win32_text_form.h"
#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

// The main window's list box (no sorting of its own: the rows come in order),
// a Unicode window, which holds names beyond the code page.
class ListBoxView final : public ListView {
  public:
    explicit ListBoxView(const Win32TextForm& form) : form_(form) {}
    void Attach(HWND listBox) { listBox_ = listBox; }
    void ShowEntries(const CacheList& list) override;
    std::vector<int> SelectedIndices() const override;

  private:
    const Win32TextForm& form_;
    HWND listBox_ = nullptr;
};

// MessageBoxW owned by the main window, its texts read in the program's
// current form.
class Win32MessageBoxes final : public MessageBoxes {
  public:
    Win32MessageBoxes(const HWND& owner, const Win32TextForm& form) : owner_(owner), form_(form) {}
    BoxButton Show(const std::string& text, const std::string& caption, BoxStyle style) override;

  private:
    const HWND& owner_;
    const Win32TextForm& form_;
};

// The shell's folder browser, which also offers files and an edit box.
class ShellFolderChooser final : public FolderChooser {
  public:
    explicit ShellFolderChooser(const HWND& owner) : owner_(owner) {}
    std::optional<std::string> Choose(const std::string& title) override;

  private:
    const HWND& owner_;
};
