#pragma once
// The "Google Earthで確認" button of both main windows: writes the route
// (and in the photo window the photos) into a KML file in the temporary
// folder and starts Google Earth with it. Windows only.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "photo/photo_record.h"
#include "tracklog/log_list.h"
#include "ui/user_dialogs.h"

namespace vantora {

inline constexpr char kGoogleEarthMissingMessage[] = "Google Earthがインストールされていません。";
inline constexpr wchar_t kKmlFileName[] = L"korvel.kml";

enum class GoogleEarthOutcome {
    NotInstalled,     // the user was told
    NothingToShow,    // no logs, or no row chosen: silently nothing
    KmlNotWritten,    // silently nothing
    Started,          // Google Earth runs with the file
    OpenedByAssociation,  // the program could not start; the file's association opened it
};

struct GoogleEarthExport {
    GoogleEarthOutcome outcome;
    std::filesystem::path kmlFile;  // empty unless a file was written
};

// Import window: the route holds exactly the logs of the selected rows
// (row i is log i); the other logs leave the route.
GoogleEarthExport showInGoogleEarth(UserDialogs& dialogs, LogList& logs,
                                    const std::vector<std::size_t>& selectedRows);

// Photo window: the route holds every log, and each photo is placed on it
// when every photo has a match.
GoogleEarthExport showInGoogleEarth(UserDialogs& dialogs, LogList& logs,
                                    const std::vector<PhotoRecord>& photos);

}  // namespace vantora
