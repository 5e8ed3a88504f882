#pragma once
// Reads a GPS logger's NMEA log into track points. A fix is kept only when
// the unit reported it valid and a GGA and an RMC sentence of the same second
// agree: the position comes from the GGA, the date and status from the RMC.

#include <filesystem>
#include <string_view>

#include "tracklog/log_file_record.h"

namespace vantora {

// Sets record.path, appends every accepted fix in file order, and returns
// true when at least one was appended. False when the path is longer than
// kMaxPathLength, the file cannot be opened, or it holds no accepted fix.
//
// The file is read as bytes with the text-mode rules applied here (CR LF and
// LF end a line, Ctrl-Z ends the file), so every build reads it the same way.
// Lines longer than 259 characters, sentences with more fields than their
// layout and over-long fields are skipped; so are fixes whose date or time is
// out of range, so every point's instant can be compared.
bool readNmeaLog(const std::filesystem::path& path, LogFileRecord& record);

// The same reading over the bytes of a log already in memory.
bool readNmeaText(std::string_view content, LogFileRecord& record);

}  // namespace vantora
