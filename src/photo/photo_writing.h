#pragma once
// The two operations that change the user's photos: writing matched
// positions into the GPS tags, and moving every shooting time by the same
// amount. Both keep the in-memory records in step with the files.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "photo/exif_file.h"
#include "photo/photo_record.h"
#include "tracklog/step_callback.h"

namespace vantora {

// Why a photo did not take a change.
enum class WriteProblem {
    cannotOpen,          // missing, not a regular file, unreadable, or its path cannot be handed on
    inUse,               // another program has it open, or another write of it is running
    unsupportedVersion,  // not Exif 2.1 or later
    readOnly,            // the photo is marked read-only
    folderReadOnly,      // its folder takes no new file
    diskFull,            // no room on the disk
    changed,             // another program changed it while it was being written
    noRoom,              // the Exif segment has no room for the change
    noImageEnd,          // the image data is cut off (no end marker)
    damaged,             // a damaged Exif block that a write would damage further
    staleTrailer,        // a trailer after the image whose offsets could not be moved
    xmpNotEditable,      // XMP (a sidecar, or the photo's own packet holding a position) that cannot be updated
    writeError,          // any other failure of the write
};

// The problem a status of the Exif library stands for (not 0).
WriteProblem writeProblemOf(int exifStatus);

struct WriteFailure {
    std::filesystem::path path;
    WriteProblem problem = WriteProblem::writeError;
};

// The photo opened for writing, or none when it cannot be opened or its Exif
// version is refused (and then why, in `problem` when given).
std::optional<ExifFile> openForWriting(const std::filesystem::path& path, WriteProblem* problem = nullptr);

// What a run did. The windows keep to the in-memory records and name the
// failures; the command-line tool prints all of it.
struct WriteSummary {
    int written = 0;      // files that took the change
    int unmatched = 0;    // photos passed over (no match, or no usable time)
    int failed = 0;       // files that could not be opened or did not take the change
    int notAttempted = 0; // photos left alone because a stop was asked for
    DoubtfulCounts doubtfulWritten;      // of the written, the doubtful matches by group
    std::vector<WriteFailure> failures;  // one per failed file, in list order
    // The sidecars of raw and HEIF photos that were written or created, in
    // list order (a photo with both forms of sidecar has two).
    std::vector<std::filesystem::path> sidecars;
};

// Asked before every photo; true stops the run there (the photos written
// so far are put in their places first, so that none is left half-done).
// Empty: never stop.
using StopRequested = std::function<bool()>;

// GPSTimeStamp (hour/1, minute/1, second/1) and GPSDateStamp ("2008:04:30")
// of a match: the UTC time of day and the UTC date of the one instant the
// match stands for. Empty when that instant has no calendar date.
struct GpsStamps {
    std::uint32_t time[6] = {};
    char date[11] = {};
};
std::optional<GpsStamps> gpsStampsOf(const TrackMatch& match);

// Writes the GPS tags of every matched photo (doubtful ones too): version
// 2.0.0.0 unless the photo names one already, latitude and longitude with
// their letters, status, the UTC time stamp and the datum "WGS-84"; a date
// stamp the photo has already is rewritten to the match's UTC date (none is
// added). A JPEG whose own XMP packet holds exif:GPS* properties gets the
// same values there, in the packet's padding where they fit, so that its Exif
// and XMP never disagree; one whose packet cannot be updated is not written
// at all. Nothing else is written. A raw or HEIF photo is never written:
// its position goes into its XMP sidecars (every one it has, else a new
// NAME.xmp), as exif:GPS* properties, nothing else of them changing. A record's Exif
// data takes the written values only when its file took them, so the list
// never shows a position that is not in the photo. The photos of a run are
// written through one batch of the Exif library (committed every 128 MiB of
// new files, and at the end), at about the cost of copying them. The callback sees (i,
// number of records) after every record; its answer is not used.
WriteSummary writePositions(PhotoList& list, const StepCallback& progress = {}, const StopRequested& stop = {});

// Moves every shooting time forward or back by hours:minutes:seconds and
// writes it as DateTimeOriginal (a raw or HEIF photo: into its sidecars, as
// exif:DateTimeOriginal and photoshop:DateCreated; a JPEG whose own XMP holds
// either of those gets them moved there too, none added). A photo keeps its time and its file
// unchanged when its time cannot be placed on the time scale, would move out
// of the range the calendar conversion and the Exif text can hold, or its
// file does not take the change. The list is not re-sorted: every photo
// moves by the same amount.
WriteSummary shiftShootingTimes(PhotoList& list, bool forward, int hours, int minutes, int seconds,
                                const StepCallback& progress = {}, const StopRequested& stop = {});

}  // namespace vantora
