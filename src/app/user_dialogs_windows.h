#pragma once
// The dialog seam as the user sees it: message boxes, the progress window,
// the file-open dialog and the folder browser, each over the window that
// asks.

#include <windows.h>

#include "ui/user_dialogs.h"

namespace vantora {

struct FileDialogSettings;

class WindowsUserDialogs : public UserDialogs {
public:
    explicit WindowsUserDialogs(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }

    DialogAnswer ask(const std::string& text, DialogButtons buttons) override;
    std::unique_ptr<ProgressDisplay> openProgress(bool cancellable, const std::string& caption) override;
    std::vector<std::filesystem::path> chooseLogFiles(const std::filesystem::path& startFolder) override;
    std::vector<std::filesystem::path> choosePhotoFiles() override;
    std::optional<std::filesystem::path> chooseFolder(const std::string& title,
                                                      const std::filesystem::path& startFolder) override;

private:
    std::vector<std::filesystem::path> chooseFiles(const FileDialogSettings& settings);

    // Without a fixed owner, the dialog the user works in asks (the window
    // in front of this thread only when no dialog runs).
    HWND owner() const;

    HWND owner_;
};

}  // namespace vantora
