#include "unit/log_store.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/code_page.h"
#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "unit/log_registration.h"
#include "unit/text_file_lines.h"

namespace vantora {

namespace {

using NativeString = std::filesystem::path::string_type;
constexpr auto kSeparator = std::filesystem::path::preferred_separator;

bool exists(const NativeString& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

// The path above the last separator; a separator at the very start leaves
// the root itself.
NativeString parentText(const NativeString& path, std::size_t cut)
{
    return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::filesystem::path defaultStoreName()
{
    return std::filesystem::path("GPSApp");
}

}  // namespace

bool CreateFolderPath(const std::filesystem::path& path)
{
    NativeString remaining = path.native();
    if (!remaining.empty() && remaining.back() == kSeparator)
        remaining.pop_back();
    if (remaining.empty())
        return false;
    std::vector<NativeString> missing;
    while (!exists(remaining)) {
        const std::size_t cut = remaining.find_last_of(kSeparator);
        if (cut == NativeString::npos)
            return false;
        missing.push_back(remaining.substr(cut + 1));
        remaining = parentText(remaining, cut);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (remaining.back() != kSeparator)
            remaining += kSeparator;
        remaining += *it;
        std::error_code ignored;
        std::filesystem::create_directory(std::filesystem::path(remaining), ignored);
    }
    return true;
}

void ensureStoreFolder(const std::filesystem::path& folder)
{
    if (exists(folder.native()))
        return;
    CreateFolderPath(folder);
    platform::markStoreFolder(folder);
}

std::filesystem::path chooseAppFolder(const std::filesystem::path& documentsFolder,
                                      const std::filesystem::path& programFolder)
{
    const auto nameFile = platform::joinToFolder(programFolder, kStoreNameFileName);
    {
        // Appending creates a missing file and never truncates one.
        std::ofstream create(nameFile, std::ios::app | std::ios::binary);
    }
    auto name = readFirstAnsiLine(nameFile).value_or(std::filesystem::path());
    if (name.empty())
        name = defaultStoreName();
    return platform::joinToFolder(platform::joinToFolder(documentsFolder, "Korvel"), name);
}

std::filesystem::path pcListFile(const ImportWindowState& state)
{
    return platform::joinToFolder(state.appFolder, kPcListFileName);
}

std::filesystem::path storeLogFolder(const ImportWindowState& state)
{
    return platform::joinToFolder(state.appFolder, kStoreLogFolderName);
}

namespace {

// The list file is in the ANSI code page, as earlier versions wrote it,
// unless some path does not convert exactly: then it is UTF-8 behind this
// mark, so that no path is ever left out.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// A path of 259 UTF-16 characters takes up to three bytes a character.
constexpr std::size_t kMaxPcListUtf8LineBytes = 3 * 259;

std::optional<std::filesystem::path> pathFromUtf8(std::string_view text)
{
    try {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    } catch (const std::system_error&) {  // not UTF-8: no path
        return std::nullopt;
    }
}

// The paths of the list file, in either form, up to its first over-long line.
std::vector<std::filesystem::path> pcListPaths(const std::filesystem::path& file)
{
    AnsiLines text = readAnsiLines(file, std::max(kMaxPcListLineBytes, kMaxPcListUtf8LineBytes));
    const bool utf8 = !text.lines.empty() && text.lines.front().starts_with(kUtf8Mark);
    if (utf8)
        text.lines.front().erase(0, kUtf8Mark.size());
    std::vector<std::filesystem::path> paths;
    for (const std::string& line : text.lines) {
        if (!utf8 && line.size() > kMaxPcListLineBytes)
            break;
        if (line.empty())
            continue;
        if (auto path = utf8 ? pathFromUtf8(line) : platform::fromAnsiPath(line))
            paths.push_back(std::move(*path));
    }
    return paths;
}

std::string pcListText(const ImportWindowState& state)
{
    std::string ansi;
    bool everyPathConverts = true;
    for (const auto& log : state.pcLogs) {
        const auto converted = platform::toAnsiPath(log->path);
        everyPathConverts = everyPathConverts && converted.has_value();
        if (converted)
            ansi += *converted + "\r\n";
    }
    if (everyPathConverts)
        return ansi;
    std::string utf8(kUtf8Mark);
    for (const auto& log : state.pcLogs) {
        const std::u8string path = log->path.u8string();
        utf8.append(path.begin(), path.end());
        utf8 += "\r\n";
    }
    return utf8;
}

std::filesystem::path logSpansFile(const ImportWindowState& state)
{
    return platform::joinToFolder(state.appFolder, kLogSpanIndexFileName);
}

// More than the spans of the list's limit of logs ever take.
constexpr std::uintmax_t kMaxLogSpansBytes = 8u << 20;

std::string readSmallFile(const std::filesystem::path& file)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > kMaxLogSpansBytes)
        return {};
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return {};
    return bytes;
}

bool replaceWithText(const std::filesystem::path& file, const std::string& text)
{
    auto newFile = file;
    newFile += ".new";
    if (platform::writeFileDurably(newFile, text) && platform::replaceFile(newFile, file))
        return true;
    std::error_code error;
    std::filesystem::remove(newFile, error);
    return false;
}

std::string logSpansText(const ImportWindowState& state)
{
    std::vector<const LogFileRecord*> logs;
    for (const auto& log : state.pcLogs)
        logs.push_back(log.get());
    return LogSpanIndex::textOf(logs);
}

}  // namespace

bool saveLogSpans(const ImportWindowState& state)
{
    const auto file = logSpansFile(state);
    std::error_code error;
    if (state.pcLogs.empty()) {
        std::filesystem::remove(file, error);
        return !error;
    }
    return replaceWithText(file, logSpansText(state));
}

void LoadPcList(ImportWindow& window)
{
    std::vector<std::filesystem::path> paths;
    for (const auto& path : pcListPaths(pcListFile(window.state))) {
        if (!exists(path.native()))
            continue;
        bool seen = false;
        for (const auto& kept : paths)
            seen = seen || kept.native() == path.native();
        if (!seen)
            paths.push_back(path);
    }
    const std::string kept = readSmallFile(logSpansFile(window.state));
    const LogSpanIndex known = LogSpanIndex::fromText(kept);
    RegisterLogFiles(window, paths, LogSide::Pc, false, false, &known);
    if (!window.state.pcLogs.empty() && logSpansText(window.state) != kept)
        saveLogSpans(window.state);
}

bool checkStoreFolder(ImportWindow& window)
{
    ensureStoreFolder(window.state.appFolder);
    const auto probe = platform::joinToFolder(window.state.appFolder, "appData.probe");
    const bool writable = platform::writeFileDurably(probe, "");
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
    if (!writable)
        window.dialogs.ask(kStoreUnwritableMessage, DialogButtons::Ok);
    return writable;
}

bool SavePcList(const ImportWindowState& state)
{
    ensureStoreFolder(state.appFolder);
    const auto listFile = pcListFile(state);
    std::error_code error;
    if (state.pcLogs.empty()) {
        std::filesystem::remove(listFile, error);
        saveLogSpans(state);
        return !error;
    }
    const bool saved = replaceWithText(listFile, pcListText(state));
    saveLogSpans(state);
    return saved;
}

}  // namespace vantora
