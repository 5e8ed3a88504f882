// Fuzz target: any bytes as a GPX file. The reader must not crash, hang or
// touch memory it does not own; it keeps points exactly when it reports no
// problem, and the points it keeps are in strictly rising time, comparable,
// and hold positions in range.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tracklog/gpx_reader.h"

namespace {

bool axisInRange(const vantora::Rational (&axis)[3], std::uint32_t maxDegrees)
{
    return axis[0].numerator <= maxDegrees && axis[1].numerator < 60 && axis[2].numerator < 600 &&
           axis[0].denominator == 1 && axis[1].denominator == 1 && axis[2].denominator == 10;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantora::LogFileRecord record;
    const vantora::GpxReadResult result = vantora::readGpxText(
        std::string_view(reinterpret_cast<const char*>(data), size), record);
    const auto& points = record.points();
    const auto& times = record.pointTimes();
    if ((result.problem == vantora::GpxProblem::none) == points.empty() ||
        points.size() != times.size())
        std::abort();
    if (result.problem == vantora::GpxProblem::damaged && result.line < 1)
        std::abort();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (vantora::toTimeValue(points[i].time) != times[i] || (i > 0 && times[i - 1] >= times[i]))
            std::abort();
        if (!axisInRange(points[i].latitude, 90) || !axisInRange(points[i].longitude, 180))
            std::abort();
    }
    return 0;
}
