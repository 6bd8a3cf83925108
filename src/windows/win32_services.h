#pragma once

#include <windows.h>

#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

// The main window's list box (no sorting of its own: the rows come in order),
// a Unicode window, which holds names beyond the code page.
class ListBoxView final : public ListView {
  public:
    void Attach(HWND listBox) { listBox_ = listBox; }
    void ShowEntries(const CacheList& list) override;
    std::vector<int> SelectedIndices() const override;

  private:
    HWND listBox_ = nullptr;
};

// MessageBoxW owned by the main window.
class Win32MessageBoxes final : public MessageBoxes {
  public:
    explicit Win32MessageBoxes(const HWND& owner) : owner_(owner) {}
    BoxButton Show(const std::string& text, const std::string& caption, BoxStyle style) override;

  private:
    const HWND& owner_;
};

// The shell's folder browser, which also offers files and an edit box; its
// paths within MAX_PATH UTF-16 units.
class ShellFolderChooser final : public FolderChooser {
  public:
    explicit ShellFolderChooser(const HWND& owner) : owner_(owner) {}
    std::optional<std::string> Choose(const std::string& title) override;

  private:
    const HWND& owner_;
};
