#pragma once
// A UserDialogs for tests: answers questions from a script, keeps every text
// asked and every progress window with its steps.

#include <deque>
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
        return std::make_unique<Window>(*progress.back());
    }

    std::vector<std::string> asked;
    std::vector<std::unique_ptr<Progress>> progress;

private:
    class Window : public ProgressDisplay {
    public:
        explicit Window(Progress& record) : record_(record) {}
        ~Window() override { record_.closed = true; }
        int step(int position, int total) override
        {
            record_.steps.emplace_back(position, total);
            return 0;
        }

    private:
        Progress& record_;
    };

    std::deque<DialogAnswer> answers_;
};

}  // namespace vantora::test
