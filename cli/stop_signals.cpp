#include "stop_signals.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantora::cli {

namespace {

std::atomic<bool> stopFlag{false};

#ifdef _WIN32
BOOL WINAPI onConsoleEvent(DWORD)
{
    stopFlag = true;
    return TRUE;  // handled: the run stops at the next photo
}
#else
void onStopSignal(int)
{
    stopFlag = true;
}
#endif

}  // namespace

void installStopHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A write past the file size limit then fails with an error and the
    // photo counts as failed; its temporary file is removed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool stopRequested()
{
    return stopFlag;
}

}  // namespace vantora::cli
