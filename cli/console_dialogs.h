#pragma once
// The user's side of the window logic for the command-line tool: messages
// go to standard error, the deletion question is answered by an option, and
// there is no progress window.

#include <memory>
#include <ostream>
#include <string>

#include "ui/user_dialogs.h"

namespace vantora::cli {

class ConsoleDialogs : public UserDialogs {
public:
    ConsoleDialogs(std::ostream& err, DialogAnswer yesNoAnswer) : err_(err), yesNoAnswer_(yesNoAnswer) {}

    DialogAnswer ask(const std::string& text, DialogButtons buttons) override
    {
        err_ << "vantora-gps: " << text;
        if (buttons != DialogButtons::YesNo) {
            err_ << "\n";
            return buttons == DialogButtons::Ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
        }
        err_ << (yesNoAnswer_ == DialogAnswer::Yes ? " (yes)\n" : " (no)\n");
        return yesNoAnswer_;
    }

    std::unique_ptr<ProgressDisplay> openProgress(bool, const std::string&) override
    {
        return std::make_unique<Silent>();
    }

    // The tool is given its files on the command line; it never browses.
    std::vector<std::filesystem::path> chooseLogFiles(const std::filesystem::path&) override { return {}; }
    std::vector<std::filesystem::path> choosePhotoFiles() override { return {}; }
    std::optional<std::filesystem::path> chooseFolder(const std::string&, const std::filesystem::path&) override
    {
        return std::nullopt;
    }

private:
    class Silent : public ProgressDisplay {
    public:
        int step(int, int) override { return 0; }
    };

    std::ostream& err_;
    DialogAnswer yesNoAnswer_;
};

}  // namespace vantora::cli
