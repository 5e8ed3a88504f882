#include "unit/unit_logs.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "unit/log_registration.h"
#include "unit/log_store.h"

namespace vantora {

namespace {

bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    if (!first || !second)
        return false;
    char bufferA[64 * 1024];
    char bufferB[64 * 1024];
    for (;;) {
        first.read(bufferA, sizeof bufferA);
        second.read(bufferB, sizeof bufferB);
        const auto gotA = first.gcount();
        if (gotA != second.gcount() || !std::equal(bufferA, bufferA + gotA, bufferB))
            return false;
        if (gotA == 0)
            return first.eof() && second.eof();
    }
}

bool pathExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// The folder that holds a log: the path up to its last separator.
std::filesystem::path::string_type folderText(const std::filesystem::path& log)
{
    const auto& text = log.native();
    const std::size_t cut = text.find_last_of(std::filesystem::path::preferred_separator);
    return text.substr(0, cut == text.npos ? 0 : cut);
}

}  // namespace

std::filesystem::path storeCopyOf(const ImportWindowState& state, const std::filesystem::path& unitLog)
{
    return platform::joinToFolder(storeLogFolder(state), storeNameOf(unitLog));
}

bool hasVerifiedStoreCopy(const ImportWindowState& state, const std::filesystem::path& unitLog)
{
    // The copy must hold the same bytes and be in the PC list: a copy the
    // list refused (its time overlaps another log, or the list is full)
    // would live only in the hidden store. A listed log with the same bytes
    // under another name will do as well.
    const auto copy = storeCopyOf(state, unitLog);
    const auto listed = [&](const std::filesystem::path& path) {
        return std::any_of(state.pcLogs.begin(), state.pcLogs.end(),
                           [&](const auto& log) { return log->path == path; });
    };
    if (listed(copy) && sameBytes(unitLog, copy))
        return true;
    return std::any_of(state.pcLogs.begin(), state.pcLogs.end(),
                       [&](const auto& log) { return log->path != copy && sameBytes(unitLog, log->path); });
}

void CopyUnitLogsToPC(ImportWindow& window)
{
    ensureStoreFolder(storeLogFolder(window.state));
    std::vector<std::filesystem::path> copies;
    for (const auto& log : window.state.unitLogs) {
        const auto target = storeCopyOf(window.state, log->path);
        platform::copyFileNoOverwrite(log->path, target);
        copies.push_back(target);
    }
    RegisterLogFiles(window, copies, LogSide::Pc, true, true);
}

void DeleteUnitLogs(ImportWindow& window, const std::vector<std::size_t>& rows)
{
    std::vector<std::filesystem::path::string_type> folders;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it >= window.state.unitLogs.size())
            continue;
        const auto path = window.state.unitLogs[*it]->path;
        std::error_code ignored;
        if (pathExists(path))
            std::filesystem::remove(path, ignored);
        removeAt(window.state.unitLogs, *it);
        window.controls.deleteLogRow(LogSide::Unit, *it);
        const auto folder = folderText(path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const auto& folder : folders) {
        std::error_code ignored;
        // Removes the folder only when it is empty.
        if (pathExists(folder))
            std::filesystem::remove(std::filesystem::path(folder), ignored);
    }
}

void importUnitLogs(ImportWindow& window)
{
    CopyUnitLogsToPC(window);
    if (window.dialogs.ask(kDeleteUnitLogsQuestion, DialogButtons::YesNo) == DialogAnswer::Yes) {
        std::vector<std::size_t> verified;
        for (std::size_t i = 0; i < window.state.unitLogs.size(); ++i) {
            if (hasVerifiedStoreCopy(window.state, window.state.unitLogs[i]->path))
                verified.push_back(i);
        }
        const bool someKept = verified.size() < window.state.unitLogs.size();
        DeleteUnitLogs(window, verified);
        if (someKept)
            window.dialogs.ask(kUnverifiedKeptMessage, DialogButtons::Ok);
    }
    window.controls.setUnitControlsEnabled(false);
}

}  // namespace vantora
