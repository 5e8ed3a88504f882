#include "tracklog/gpx_handler.h"

#include <charconv>

namespace vantora {

namespace {

constexpr std::string_view kGpx10Namespace = "http://www.topografix.com/GPX/1/0";
constexpr std::string_view kGpx11Namespace = "http://www.topografix.com/GPX/1/1";
// Longer than any time or fix value; a longer text is not kept.
constexpr std::size_t kMaxValueText = 128;

bool isGpxNamespace(std::string_view uri)
{
    // Files without the namespace declaration are read as GPX too.
    return uri.empty() || uri == kGpx10Namespace || uri == kGpx11Namespace;
}

std::string_view trimXmlSpace(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// An xsd:decimal such as "35.652056667" or "+139.76", without the C locale.
std::optional<double> parseDegrees(std::string_view text)
{
    text = trimXmlSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> attributeDegrees(std::span<const platform::XmlAttribute> attributes,
                                       std::string_view name)
{
    for (const platform::XmlAttribute& a : attributes)
        if (a.namespaceUri.empty() && a.localName == name)
            return parseDegrees(a.value);
    return std::nullopt;
}

}  // namespace

GpxHandler::Place GpxHandler::placeOf(std::string_view namespaceUri,
                                      std::string_view name) const
{
    if (!isGpxNamespace(namespaceUri))
        return Place::ignored;
    if (open_.empty())
        return name == "gpx" ? Place::gpx : Place::ignored;
    switch (open_.back()) {
    case Place::gpx:
        if (name == "trk") return Place::track;
        if (name == "rte") return Place::route;
        if (name == "wpt") return Place::waypoint;
        return Place::ignored;
    case Place::track: return name == "trkseg" ? Place::segment : Place::ignored;
    case Place::segment: return name == "trkpt" ? Place::trackPoint : Place::ignored;
    case Place::trackPoint:
        if (name == "time") return Place::pointTime;
        if (name == "fix") return Place::pointFix;
        return Place::ignored;
    case Place::route: return name == "rtept" ? Place::routePoint : Place::ignored;
    default: return Place::ignored;
    }
}

void GpxHandler::startElement(std::string_view namespaceUri, std::string_view localName,
                              std::span<const platform::XmlAttribute> attributes)
{
    const Place place = placeOf(namespaceUri, localName);
    if (open_.empty() && !content_.rootSeen) {
        content_.rootSeen = true;
        content_.rootIsGpx = place == Place::gpx;
    }
    open_.push_back(place);
    switch (place) {
    case Place::trackPoint: beginTrackPoint(attributes); break;
    case Place::waypoint:
    case Place::routePoint: ++content_.waypointsAndRoutePoints; break;
    case Place::pointTime:
    case Place::pointFix:
        point_.value.clear();
        point_.valueTooLong = false;
        break;
    default: break;
    }
}

void GpxHandler::endElement()
{
    if (open_.empty())
        return;
    const Place place = open_.back();
    open_.pop_back();
    const std::string_view value = point_.valueTooLong ? "" : trimXmlSpace(point_.value);
    switch (place) {
    case Place::trackPoint: endTrackPoint(); break;
    case Place::pointTime:
        // A point's first <time> counts; a second one does not replace it.
        if (!point_.timeSeen)
            point_.time = parseGpxTime(value);
        point_.timeSeen = true;
        break;
    case Place::pointFix: point_.noFix = point_.noFix || value == "none"; break;
    default: break;
    }
}

void GpxHandler::text(std::string_view utf8)
{
    if (open_.empty() || (open_.back() != Place::pointTime && open_.back() != Place::pointFix))
        return;
    if (point_.value.size() + utf8.size() > kMaxValueText) {
        point_.valueTooLong = true;
        return;
    }
    point_.value.append(utf8);
}

void GpxHandler::beginTrackPoint(std::span<const platform::XmlAttribute> attributes)
{
    point_ = OpenPoint{};
    const auto latitude = attributeDegrees(attributes, "lat");
    const auto longitude = attributeDegrees(attributes, "lon");
    // Written this way round so that a NaN is out of range too.
    point_.positionUsable = latitude && longitude && *latitude >= -90.0 && *latitude <= 90.0 &&
                            *longitude >= -180.0 && *longitude <= 180.0;
    if (point_.positionUsable) {
        point_.latitude = *latitude;
        point_.longitude = *longitude;
    }
}

void GpxHandler::endTrackPoint()
{
    if (point_.positionUsable && point_.time && !point_.noFix)
        content_.fixes.push_back({*point_.time, point_.latitude, point_.longitude});
    point_ = OpenPoint{};
}

}  // namespace vantora
