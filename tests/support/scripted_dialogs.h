#pragma once
// A UserDialogs for tests: answers questions from a script, keeps every text
// asked and every progress window with its steps.

#include <deque>
#include <filesystem>
#include <optional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/user_dialogs.h"

namespace vantora::test {

class ScriptedDialogs : public UserDialogs {
public:
    struct Progress {
        bool cancellable = false;
        std::string caption;
        std::vector<std::pair<int, int>> steps;
        bool closed = false;
    };

    // Answers for the questions to come, in order; a question without one
    // gets the first button's answer (Ok or Yes).
    void willAnswer(DialogAnswer answer) { answers_.push_back(answer); }

    DialogAnswer ask(const std::string& text, DialogButtons buttons) override
    {
        asked.push_back(text);
        if (!answers_.empty()) {
            const DialogAnswer answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return buttons == DialogButtons::YesNo ? DialogAnswer::Yes : DialogAnswer::Ok;
    }

    std::unique_ptr<ProgressDisplay> openProgress(bool cancellable, const std::string& caption) override
    {
        progress.push_back(std::make_unique<Progress>());
        progress.back()->cancellable = cancellable;
        progress.back()->caption = caption;
        return std::make_unique<Window>(*progress.back(), cancelAfterSteps_);
    }

    // Progress windows opened from now on ask to cancel at their given step
    // and every later one, as if the user had pressed Cancel.
    void willCancelProgressAtStep(int step) { cancelAfterSteps_ = step; }

    void willChooseFiles(std::vector<std::filesystem::path> files) { files_.push_back(std::move(files)); }
    void willChooseFolder(std::optional<std::filesystem::path> folder) { folders_.push_back(std::move(folder)); }

    // Without a scripted answer the file dialogs and the folder browser are
    // cancelled; both file dialogs take the answers of willChooseFiles.
    std::vector<std::filesystem::path> chooseLogFiles(const std::filesystem::path& startFolder) override
    {
        fileDialogFolders.push_back(startFolder);
        if (files_.empty())
            return {};
        auto files = std::move(files_.front());
        files_.pop_front();
        return files;
    }

    std::vector<std::filesystem::path> choosePhotoFiles() override
    {
        ++photoDialogs;
        if (files_.empty())
            return {};
        auto files = std::move(files_.front());
        files_.pop_front();
        return files;
    }

    std::optional<std::filesystem::path> chooseFolder(const std::string& title,
                                                      const std::filesystem::path& startFolder) override
    {
        folderBrowserTitles.push_back(title);
        folderBrowserStarts.push_back(startFolder);
        if (folders_.empty())
            return std::nullopt;
        auto folder = std::move(folders_.front());
        folders_.pop_front();
        return folder;
    }

    std::vector<std::string> asked;
    std::vector<std::filesystem::path> fileDialogFolders;
    int photoDialogs = 0;
    std::vector<std::string> folderBrowserTitles;
    std::vector<std::filesystem::path> folderBrowserStarts;
    std::vector<std::unique_ptr<Progress>> progress;

private:
    class Window : public ProgressDisplay {
    public:
        Window(Progress& record, std::optional<int> cancelAtStep) : record_(record), cancelAtStep_(cancelAtStep) {}
        ~Window() override { record_.closed = true; }
        int step(int position, int total) override
        {
            record_.steps.emplace_back(position, total);
            return cancelAtStep_ && static_cast<int>(record_.steps.size()) >= *cancelAtStep_ ? 1 : 0;
        }

    private:
        Progress& record_;
        std::optional<int> cancelAtStep_;
    };

    std::deque<DialogAnswer> answers_;
    std::optional<int> cancelAfterSteps_;
    std::deque<std::vector<std::filesystem::path>> files_;
    std::deque<std::optional<std::filesystem::path>> folders_;
};

}  // namespace vantora::test
