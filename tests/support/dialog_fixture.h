#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/vorpane_dlg.h"
#include "platform/file_system.h"
#include "support/fakes.h"
#include "support/temp_game.h"

// The main window's logic on a real temporary game folder, with the boxes,
// the chooser, the registry, the view and the process exit faked.
class DialogFixture : public ::testing::Test, protected FakeServices {
  protected:
    DialogFixture() { registry.SetFolder(game.Dir()); }

    CVorpaneDlg& Dialog() {
        if (!dialog_) {
            dialog_ = std::make_unique<CVorpaneDlg>(For(files()));
        }
        return *dialog_;
    }

    // A window opened anew: no game folder, an empty list.
    void ReopenDialog() { dialog_.reset(); }

    FileSystem& files() { return fileSystem ? *fileSystem : *native_; }

    // Runs a handler as the window does; the exit code when it ended the process.
    std::optional<int> Run(CVorpaneDlg::Handler handler) {
        try {
            Dialog().RunHandler(handler);
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
        return std::nullopt;
    }

    std::vector<std::string> Texts() const { return view.Texts(); }

    TempGame game;
    FileSystem* fileSystem = nullptr;  // set before Dialog() to inject faults

  private:
    std::unique_ptr<FileSystem> native_ = MakeNativeFileSystem();
    std::unique_ptr<CVorpaneDlg> dialog_;
};
