#pragma once
// How the GPS unit keeps its logs: date folders YYYYMMDD in the root of its
// drive, log files HHMMSS.log inside them, and the identifier that names
// the unit to the recognition library.

#include <filesystem>
#include <string>
#include <vector>

namespace vantora {

inline constexpr char kDefaultUnitIdentifier[] = "KRV-TL770";
inline constexpr char kUnitIdentifierFileName[] = "KorvelStorageIdentifier.txt";

// The first line of the identifier file in the program folder (UTF-8), or
// the default identifier when the file is missing or its first line empty.
std::string readUnitIdentifier(const std::filesystem::path& programFolder);

// A folder name the unit uses for a day: 8 characters, year 2008 to 2099,
// month 1 to 12, day 1 to 31 (the day is not checked against the month).
bool isUnitDateFolderName(const std::filesystem::path& name);

// A log file name of the unit: 10 characters ending in ".log" (any letter
// case), hour at most 23, minute and second at most 59.
bool isUnitLogFileName(const std::filesystem::path& name);

// Every log file of an accepted name in every accepted date folder of the
// root, in the order the directory listing gives them. An unreadable root
// or folder gives no paths; never throws.
std::vector<std::filesystem::path> ListUnitLogs(const std::filesystem::path& root);

// The name a unit log is shown and stored under: its date folder, "_" and
// its file name ("20081015_093000.log"); a file directly below a root keeps
// its bare name.
std::filesystem::path storeNameOf(const std::filesystem::path& unitLogPath);

}  // namespace vantora
