#pragma once

#include <wx/window.h>

#include "ui/folder_chooser.h"
#include "ui/list_view.h"
#include "ui/message_boxes.h"

class VirtualListBox;

// The list of the main window as the logic sees it.
class WxListView final : public ListView {
  public:
    explicit WxListView(VirtualListBox& list) : list_(list) {}
    void ShowEntries(const CacheList& list) override;
    std::vector<int> SelectedIndices() const override;

  private:
    VirtualListBox& list_;
};

// Message boxes owned by the main window once it is on screen; before that
// (during the first refresh) they stand on their own.
class WxMessageBoxes final : public MessageBoxes {
  public:
    explicit WxMessageBoxes(wxWindow& owner) : owner_(owner) {}
    BoxButton Show(const std::string& text, const std::string& caption, BoxStyle style) override;

  private:
    wxWindow& owner_;
};

class WxFolderChooser final : public FolderChooser {
  public:
    explicit WxFolderChooser(wxWindow& owner) : owner_(owner) {}
    std::optional<std::string> Choose(const std::string& title) override;

  private:
    wxWindow& owner_;
};

// Bytes of cache.ini or of a path as GTK shows them.
wxString ToDisplay(const std::string& bytes);
