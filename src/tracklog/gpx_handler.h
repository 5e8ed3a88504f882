#pragma once
// The GPX side of reading a track: XML events in, the timed track points
// out, in file order. Route points and waypoints are only counted, never
// taken as a track.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/xml_parser.h"
#include "tracklog/gpx_time.h"

namespace vantora {

// One usable <trkpt>: a time, a position in range, not marked "no fix".
struct GpxFix {
    GpxInstant time;
    double latitude = 0.0;   // degrees, -90 to 90
    double longitude = 0.0;  // degrees, -180 to 180
};

struct GpxContent {
    bool rootSeen = false;
    bool rootIsGpx = false;
    std::vector<GpxFix> fixes;           // file order
    std::size_t waypointsAndRoutePoints = 0;
};

class GpxHandler final : public platform::XmlEvents {
public:
    void startElement(std::string_view namespaceUri, std::string_view localName,
                      std::span<const platform::XmlAttribute> attributes) override;
    void endElement() override;
    void text(std::string_view utf8) override;

    const GpxContent& content() const { return content_; }
    GpxContent takeContent() { return std::move(content_); }

private:
    // Where an element stands in the GPX structure; anything else (other
    // namespaces, <extensions>, elevation, names) is `ignored` with all it holds.
    enum class Place { ignored, gpx, track, segment, trackPoint, pointTime, pointFix, route,
                       routePoint, waypoint };

    Place placeOf(std::string_view namespaceUri, std::string_view localName) const;
    void beginTrackPoint(std::span<const platform::XmlAttribute> attributes);
    void endTrackPoint();

    // What is known of the <trkpt> being read.
    struct OpenPoint {
        bool positionUsable = false;
        bool timeSeen = false;
        bool noFix = false;
        double latitude = 0.0;
        double longitude = 0.0;
        std::string value;      // the text of its <time> or <fix>, bounded
        bool valueTooLong = false;
        std::optional<GpxInstant> time;
    };

    GpxContent content_;
    std::vector<Place> open_;
    OpenPoint point_;
};

}  // namespace vantora
