#include "tracklog/log_file_record.h"

#include <type_traits>

namespace vantora {

std::size_t utf16Length(const std::filesystem::path& path)
{
    const auto& native = path.native();
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t> &&
                  sizeof(wchar_t) == 2) {
        return native.size();
    } else {
        // UTF-8: one unit per sequence, two for a sequence of four bytes.
        // Counted by hand because converting a malformed name would throw.
        std::size_t units = 0;
        for (unsigned char c : native) {
            if ((c & 0xC0) != 0x80)
                ++units;
            if (c >= 0xF0)
                ++units;
        }
        return units;
    }
}

void LogFileRecord::appendPoint(const TrackPoint& point, TimeValue instant)
{
    points_.push_back(point);
    times_.push_back(instant);
}

void LogFileRecord::clearPoints()
{
    points_.clear();
    times_.clear();
}

}  // namespace vantora
