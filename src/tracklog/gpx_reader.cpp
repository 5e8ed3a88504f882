#include "tracklog/gpx_reader.h"

#include <algorithm>
#include <fstream>
#include <new>

#include "platform/xml_parser.h"
#include "platform/xml_text.h"
#include "tracklog/gpx_handler.h"
#include "tracklog/gpx_track.h"

namespace vantora {

namespace {

class FileSource final : public platform::XmlByteSource {
public:
    explicit FileSource(std::ifstream& file) : file_(file) {}
    // A read error ends the input; the parser then sees a file cut off.
    std::size_t read(char* buffer, std::size_t size) override
    {
        if (!file_)
            return 0;
        file_.read(buffer, static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(file_.gcount());
    }

private:
    std::ifstream& file_;
};

// Why no point was kept, once the parse has ended.
GpxReadResult problemWithoutPoints(const platform::XmlParseResult& parsed,
                                   const GpxContent& content)
{
    switch (parsed.end) {
    case platform::XmlEnd::dtdRefused: return {GpxProblem::dtdRefused, parsed.line};
    case platform::XmlEnd::noMemory: return {GpxProblem::notEnoughMemory, parsed.line};
    case platform::XmlEnd::parserMissing: return {GpxProblem::cannotOpen, 0};
    case platform::XmlEnd::damaged:
        // A root that is not gpx says more than damage further on.
        if (content.rootSeen && !content.rootIsGpx)
            return {GpxProblem::notGpx, 0};
        return {GpxProblem::damaged, std::max(parsed.line, 1L)};
    case platform::XmlEnd::complete: break;
    }
    // A document without any element is not well-formed (an empty file).
    if (!content.rootSeen)
        return {GpxProblem::damaged, std::max(parsed.line, 1L)};
    if (!content.rootIsGpx)
        return {GpxProblem::notGpx, 0};
    if (content.waypointsAndRoutePoints > 0)
        return {GpxProblem::onlyWaypointsAndRoutes, 0};
    return {GpxProblem::noTimedTrackPoint, 0};
}

GpxReadResult readFrom(platform::XmlByteSource& source, LogFileRecord& record)
{
    GpxHandler handler;
    const platform::XmlParseResult parsed = platform::parseXml(source, handler);
    GpxContent content = handler.takeContent();
    if (!content.rootIsGpx)
        return problemWithoutPoints(parsed, content);
    try {
        if (appendGpxTrack(std::move(content.fixes), record) > 0)
            return {};
    } catch (const std::bad_alloc&) {
        record.clearPoints();
        return {GpxProblem::notEnoughMemory, 0};
    }
    return problemWithoutPoints(parsed, content);
}

}  // namespace

GpxReadResult readGpxText(std::string_view bytes, LogFileRecord& record)
{
    platform::XmlTextSource source(bytes);
    return readFrom(source, record);
}

GpxReadResult readGpxLog(const std::filesystem::path& path, LogFileRecord& record)
{
    record.path = path;
    if (utf16Length(path) > kMaxPathLength)
        return {GpxProblem::cannotOpen, 0};
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {GpxProblem::cannotOpen, 0};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {GpxProblem::cannotOpen, 0};
    FileSource source(file);
    return readFrom(source, record);
}

}  // namespace vantora
