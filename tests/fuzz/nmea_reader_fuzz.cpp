// Fuzz target: any bytes as a log. The reader must not crash, hang or touch
// memory it does not own, and every point it keeps must be comparable.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "tracklog/nmea_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC0", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantora::LogFileRecord record;
    const bool made = vantora::readNmeaText(
        std::string_view(reinterpret_cast<const char*>(data), size), record);
    if (made == record.points().empty() || record.points().size() != record.pointTimes().size())
        std::abort();
    for (std::size_t i = 0; i < record.points().size(); ++i)
        if (vantora::toTimeValue(record.points()[i].time) != record.pointTimes()[i])
            std::abort();
    return 0;
}
