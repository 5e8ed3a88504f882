#pragma once
// The program's set of known track logs (one for the unit, one for the PC
// store): ordered by each log's first fix, never two logs whose spans
// overlap (a shared second counts), at most kMaxLogFiles logs, and no log
// without points. Row i of a log list view is record i.

#include <filesystem>
#include <memory>
#include <vector>

#include "tracklog/log_file_record.h"
#include "tracklog/log_span_index.h"
#include "tracklog/step_callback.h"

namespace vantora {

constexpr std::size_t kMaxLogFiles = 1000;

using LogList = std::vector<std::unique_ptr<LogFileRecord>>;

// Reads each path (an NMEA log or a GPX file, see readTrackLog) and
// registers the log when it keeps the list's rules. A file whose span
// `known` remembers with its present stamp is not read: its span stands for
// it, and its fixes are read when something needs them. Fixes read here go
// again once the log is registered, whenever the file can give them back.
// `added` and `overlapRefused` are reset here; `limitRefused` is written only
// when a readable file is considered, so the caller clears it first. The
// callback, when given, sees (index, number of paths) after every path,
// whatever became of it; its result is ignored, a load is not cancelled.
void loadLogFiles(LogList& list, const std::vector<std::filesystem::path>& paths, int& added,
                  bool& overlapRefused, bool& limitRefused, const StepCallback& progress = {},
                  const LogSpanIndex* known = nullptr);

// True when some log's path equals the path, ignoring letter case as
// Windows file names do.
bool containsPath(const LogList& list, const std::filesystem::path& path);

// Frees the log at the index; the later ones move up. Out of range: no change.
void removeAt(LogList& list, std::size_t index);
void removeAll(LogList& list);

// a's first fix is strictly earlier than b's.
bool startsBefore(const LogFileRecord& a, const LogFileRecord& b);

// The new log's span touches or crosses a listed one. False for a record
// without points.
bool overlapsAny(const LogList& list, const LogFileRecord& candidate);

}  // namespace vantora
