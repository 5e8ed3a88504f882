#include "export/show_in_google_earth.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "export/file_names.h"
#include "export/google_earth_windows.h"
#include "export/kml_writer.h"

namespace vantora {

namespace {

std::optional<std::filesystem::path> temporaryFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    return std::filesystem::path(folder);
}

// korvel.kml in the temporary folder when an earlier one can be deleted (or
// there is none); otherwise, since another program still holds it, the
// first free numbered name.
std::optional<std::filesystem::path> kmlFileToWrite()
{
    const auto folder = temporaryFolder();
    if (!folder)
        return std::nullopt;
    std::wstring path = folder->native();
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += kKmlFileName;
    if (DeleteFileW(path.c_str()))
        return std::filesystem::path(path);
    return uniqueFileName(path);
}

// The steps both windows share; chooseRoute marks the route's logs and
// says whether there is anything to show.
GoogleEarthExport exportAndStart(UserDialogs& dialogs, LogList& logs,
                                 const std::function<bool()>& chooseRoute,
                                 const std::vector<PhotoRecord>* photos)
{
    // Google Earth Pro registers under its own name; without either, any
    // program the user chose for KML files shows the route as well.
    const auto executable = findGoogleEarth();
    if (!executable && !kmlHasAssociation()) {
        dialogs.ask(kGoogleEarthMissingMessage, DialogButtons::Ok);
        return {GoogleEarthOutcome::NotInstalled, {}};
    }
    const auto kmlFile = kmlFileToWrite();
    if (!chooseRoute())
        return {GoogleEarthOutcome::NothingToShow, {}};
    if (!kmlFile || writeKml(*kmlFile, logs, photos) != kKmlWritten)
        return {GoogleEarthOutcome::KmlNotWritten, {}};
    if (!executable) {
        openKmlByAssociation(kmlFile->native());
        return {GoogleEarthOutcome::OpenedByAssociation, *kmlFile};
    }
    const bool started = launchWithKml(*executable, kmlFile->native());
    return {started ? GoogleEarthOutcome::Started : GoogleEarthOutcome::OpenedByAssociation, *kmlFile};
}

}  // namespace

GoogleEarthExport showInGoogleEarth(UserDialogs& dialogs, LogList& logs,
                                    const std::vector<std::size_t>& selectedRows)
{
    const auto chooseSelected = [&] {
        if (logs.empty() || selectedRows.empty())
            return false;
        for (std::size_t i = 0; i < logs.size(); ++i) {
            const bool selected = std::find(selectedRows.begin(), selectedRows.end(), i) != selectedRows.end();
            logs[i]->inRoute = selected ? 1 : 0;
        }
        return true;
    };
    return exportAndStart(dialogs, logs, chooseSelected, nullptr);
}

GoogleEarthExport showInGoogleEarth(UserDialogs& dialogs, LogList& logs,
                                    const std::vector<PhotoRecord>& photos)
{
    const auto chooseAll = [&] {
        for (auto& log : logs)
            log->inRoute = 1;
        return !logs.empty();
    };
    return exportAndStart(dialogs, logs, chooseAll, &photos);
}

}  // namespace vantora
