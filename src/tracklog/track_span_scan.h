#pragma once
// A quick look at a large NMEA log: its first fix from the first bytes and
// its last from the last, without reading what lies between. The result is
// a guess: a log's kind (GGA with RMC, RMC alone, GGA with ZDA) shows only
// in the whole file, so a record made from it checks the guess when its
// fixes are read (LogFileRecord::spanGuessWrong).

#include <filesystem>
#include <optional>

#include "tracklog/log_file_record.h"

namespace vantora {

// How much of each end is read; a smaller file is read whole instead.
constexpr std::size_t kSpanScanBytes = 16 * 1024;

// The span guessed from the ends of the file, with the file's stamp; none
// for a GPX file, a file smaller than four times kSpanScanBytes, or one
// whose ends hold no accepted fix (read such files whole).
struct ScannedSpan {
    FileStamp stamp;
    LogSpan span;
};
std::optional<ScannedSpan> scanTrackSpan(const std::filesystem::path& path);

}  // namespace vantora
