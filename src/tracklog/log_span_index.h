#pragma once
// What the program remembers of each log between runs: its span, the
// number of its fixes, and the stamp (size and modification time) of the
// file it was taken from. A log whose file still has that stamp is listed
// from its span without reading it; a new or changed file is read whole.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracklog/log_file_record.h"

namespace vantora {

struct KnownSpan {
    LogSpan span;
    bool guessed = false;  // from the file's ends only (scanTrackSpan)
};

class LogSpanIndex {
public:
    // The span remembered for the file, when the file's stamp is still the
    // one it was taken with.
    std::optional<KnownSpan> spanOf(const std::filesystem::path& path, const FileStamp& stamp) const;
    // Remembers a span for this run (a guessed one is never kept in a file).
    void remember(const std::filesystem::path& path, const FileStamp& stamp, const KnownSpan& known);

    // Every log of the list that was taken from a file, as text to keep.
    static std::string textOf(const std::vector<const LogFileRecord*>& logs);
    // The entries of such a text; a damaged line, or one of another
    // version, is passed over (its log is read whole again).
    static LogSpanIndex fromText(std::string_view text);

    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::u8string path;
        FileStamp stamp;
        KnownSpan known;
    };
    std::vector<Entry> entries_;  // in path order, for the search
};

}  // namespace vantora
