#pragma once
// The user's side of the window logic for the command-line tool. The tool
// is given its files on the command line and shows no progress window;
// ConsoleDialogs writes the messages to standard error and answers the
// deletion question by an option, QuietDialogs leaves the messages out for
// the commands that name every refused file themselves.

#include <memory>
#include <ostream>
#include <string>

#include "ui/user_dialogs.h"

namespace vantora::cli {

// What the tool has in place of windows.
class NoWindowDialogs : public UserDialogs {
public:
    std::unique_ptr<ProgressDisplay> openProgress(bool, const std::string&) override
    {
        return std::make_unique<Silent>();
    }

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
};

class ConsoleDialogs : public NoWindowDialogs {
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

private:
    std::ostream& err_;
    DialogAnswer yesNoAnswer_;
};

// The photo commands say of each refused file why; the window's summary of
// the same refusals would only repeat it. Questions are declined.
class QuietDialogs : public NoWindowDialogs {
public:
    DialogAnswer ask(const std::string&, DialogButtons buttons) override
    {
        if (buttons == DialogButtons::Ok)
            return DialogAnswer::Ok;
        return buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Cancel;
    }
};

}  // namespace vantora::cli
