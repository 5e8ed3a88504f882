#pragma once
// The two operations that change the user's photos: writing matched
// positions into the GPS tags, and moving every shooting time by the same
// amount. Both keep the in-memory records in step with the files.

#include <filesystem>
#include <optional>

#include "photo/exif_file.h"
#include "photo/photo_record.h"
#include "tracklog/step_callback.h"

namespace vantora {

// The photo opened for writing, or none when it cannot be opened or its Exif
// version is refused.
std::optional<ExifFile> openForWriting(const std::filesystem::path& path);

// What a run did, for the command-line tool; the windows only need the
// in-memory records.
struct WriteSummary {
    int written = 0;    // files that took the change
    int unmatched = 0;  // photos passed over (no match, or no usable time)
    int failed = 0;     // files that could not be opened or did not take the change
};

// Writes the GPS tags of every matched photo (doubtful ones too): version
// 2.0.0.0 unless the photo names one already, latitude and longitude with
// their letters, status, the UTC time stamp and the datum "WGS-84". Nothing else is written. A record's Exif
// data takes the written values only when its file took them, so the list
// never shows a position that is not in the photo. The callback sees (i,
// number of records) after every record; its answer is not used.
WriteSummary writePositions(PhotoList& list, const StepCallback& progress = {});

// Moves every shooting time forward or back by hours:minutes:seconds and
// writes it as DateTimeOriginal. A photo keeps its time and its file
// unchanged when its time cannot be placed on the time scale, would move out
// of the range the calendar conversion and the Exif text can hold, or its
// file does not take the change. The list is not re-sorted: every photo
// moves by the same amount.
WriteSummary shiftShootingTimes(PhotoList& list, bool forward, int hours, int minutes, int seconds,
                                const StepCallback& progress = {});

}  // namespace vantora
