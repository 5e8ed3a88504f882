#pragma once
// Reads an NMEA log into track points: the GPS logger's own logs, and those
// of today's receivers, phones and dashcams. One point a second, from the
// first valid fix of that second; the position comes from the GGA and the
// date and status from the RMC of the same instant. A log without GGA takes
// its points from the RMC; a log without RMC takes them from the GGA (valid
// when its fix quality is not 0), dated by its ZDA sentences.

#include <filesystem>
#include <string_view>

#include "tracklog/log_file_record.h"

namespace vantora {

// Sets record.path, appends every accepted fix in file order, and returns
// true when at least one was appended. False when the path is longer than
// kMaxPathLength, the file cannot be opened, or it holds no accepted fix.
// When sawSentence is given it is set to whether the file held at least one
// NMEA sentence with a valid checksum, of any type: false means "not an NMEA
// log", true with a false result "an NMEA log without a valid fix".
//
// The file is read as bytes with the text-mode rules applied here (CR LF and
// LF end a line, Ctrl-Z ends the file), so every build reads it the same way.
// Lines longer than 259 characters, sentences with more fields than their
// layout and over-long fields are skipped; so are fixes whose date or time is
// out of range, so every point's instant can be compared.
//
// A sentence may stand anywhere in its line, after a prefix such as
// "NMEA," or "[1499541290000]" or binary bytes, before a suffix such as
// ",1699400577000", or glued to another; its checksum must be two
// hexadecimal digits (either case) and right.
bool readNmeaLog(const std::filesystem::path& path, LogFileRecord& record,
                 bool* sawSentence = nullptr);

// The same reading over the bytes of a log already in memory.
bool readNmeaText(std::string_view content, LogFileRecord& record, bool* sawSentence = nullptr);

}  // namespace vantora
