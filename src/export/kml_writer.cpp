#include "export/kml_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <new>
#include <string_view>

#include "export/kml_pictures.h"
#include "platform/code_page.h"
#include "platform/xml_text.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

std::string narrowAscii(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

std::string utf8Text(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// A CDATA section holding the text whatever it contains: each "]]>" is
// split across two sections, since it would end the first one early.
std::string cdataSection(std::string_view text)
{
    std::string section = "<![CDATA[";
    std::size_t start = 0;
    for (std::size_t end = text.find("]]>"); end != std::string_view::npos;
         end = text.find("]]>", start)) {
        section.append(text.substr(start, end - start));
        section += "]]]]><![CDATA[>";
        start = end + 3;
    }
    section.append(text.substr(start));
    section += "]]>";
    return section;
}

// "longitude,latitude,0" in signed decimal degrees.
std::string coordinateTuple(const TrackPoint& point)
{
    return narrowAscii(formatDegrees(longitudeDegrees(point), point.longitudeRef, 'E')) + "," +
           narrowAscii(formatDegrees(latitudeDegrees(point), point.latitudeRef, 'N')) + ",0";
}

std::string styleId(std::size_t index)
{
    return "Style" + formatNumber(static_cast<long long>(index), 5);
}

// The shooting time is stored in the ANSI code page (plain ASCII in practice).
std::string shootingTimeText(const ExifDateTime& time)
{
    const std::size_t length = strnlen(time.dateTimeText, sizeof time.dateTimeText);
    return platform::cp932ToUtf8(std::string_view(time.dateTimeText, length));
}

void appendRoute(std::string& kml, const LogList& logs)
{
    kml += "\t\t<Placemark>\t\t\t<name>経路</name>\t\t\t<Style>\t\t\t\t<LineStyle>"
           "\t\t\t\t\t<color>FF0000FF</color>\t\t\t\t\t<width>4</width>\t\t\t\t</LineStyle>"
           "\t\t\t</Style>\t\t\t<LineString>\t\t\t\t<tessellate>1</tessellate>"
           "\t\t\t\t<altitudeMode>clampedToGround</altitudeMode>\t\t\t\t<coordinates>";
    for (const auto& log : logs) {
        if (log->inRoute == 0)
            continue;
        const PointsInUse inUse(*log);  // one log's fixes in memory at a time
        for (const TrackPoint& point : inUse.points())
            kml += "\t\t\t\t\t" + coordinateTuple(point);
    }
    kml += "\t\t\t\t</coordinates>\t\t\t</LineString>\t\t</Placemark>";
}

void appendPhotoStyle(std::string& kml, const std::filesystem::path& picture, std::size_t index)
{
    kml += "\t\t<Style id=\"" + styleId(index) + "\">\t\t\t<IconStyle>\t\t\t\t<scale>1.0</scale>"
           "\t\t\t\t<Icon>\t\t\t\t\t<href>" + platform::escapeXml(utf8Text(picture)) +
           "</href>\t\t\t\t</Icon>\t\t\t</IconStyle>\t\t</Style>";
}

// A photo without a picture (a raw photo without a preview) gets the plain
// placemark: no icon, and its balloon links to the photo file itself.
void appendPhotoPlacemark(std::string& kml, const PhotoRecord& photo, const std::filesystem::path& picture,
                          std::size_t index)
{
    const std::filesystem::path& shown = picture.empty() ? photo.exif.path : picture;
    // The description is HTML for the balloon, so its inserted texts are
    // escaped as HTML as well, inside the CDATA section.
    const std::string description =
        "<p>Date: " + platform::escapeXml(shootingTimeText(photo.exif.shootingTime)) +
        "<br/><p><a href=\"file:///" + platform::escapeXml(utf8Text(shown)) +
        "\">画像を表示</a></p>";
    const std::string style =
        picture.empty() ? std::string() : "\t\t\t<styleUrl>#" + styleId(index) + "</styleUrl>";
    kml += "\t\t<Placemark>\t\t\t<name>" + platform::escapeXml(utf8Text(photo.exif.path.filename())) +
           "</name>\t\t\t<description>" + cdataSection(description) + "</description>\n" + style +
           "\t\t\t<Point>\t\t\t\t<coordinates>" + coordinateTuple(photo.match->point) +
           "</coordinates>\t\t\t</Point>\t\t</Placemark>";
}

// Photos appear all or none: one without a position would leave a gap the
// user cannot see.
bool photosApply(const std::vector<PhotoRecord>* photos)
{
    return photos != nullptr && !photos->empty() &&
           std::all_of(photos->begin(), photos->end(),
                       [](const PhotoRecord& photo) { return photo.match.has_value(); });
}

void appendPhotos(std::string& kml, const std::vector<PhotoRecord>& photos,
                  const std::vector<std::filesystem::path>* pictures)
{
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const bool hasOwn = pictures != nullptr && i < pictures->size();
        const std::filesystem::path picture = hasOwn ? (*pictures)[i] : photos[i].exif.path;
        if (!picture.empty())
            appendPhotoStyle(kml, picture, i);
        appendPhotoPlacemark(kml, photos[i], picture, i);
    }
}

}  // namespace

std::string buildKmlDocument(const LogList& logs, const std::vector<PhotoRecord>* photos,
                             const std::vector<std::filesystem::path>* pictures)
{
    std::string kml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                      "<kml xmlns=\"http://earth.google.com/kml/2.1\">"
                      "\t<Document>\t\t<name>ドキュメント</name>\t\t<open>1</open>";
    appendRoute(kml, logs);
    if (photosApply(photos))
        appendPhotos(kml, *photos, pictures);
    kml += "\t</Document></kml>";
    return kml;
}

int writeKml(const std::filesystem::path& target, const LogList& logs,
             const std::vector<PhotoRecord>* photos)
{
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file.is_open())
        return kKmlCannotCreate;
    try {
        std::vector<std::filesystem::path> pictures;
        if (photosApply(photos))
            pictures = placemarkPictures(target, *photos);
        const std::string kml = buildKmlDocument(logs, photos, &pictures);
        file.write(kml.data(), static_cast<std::streamsize>(kml.size()));
        const bool written = static_cast<bool>(file);
        file.close();
        return written && !file.fail() ? kKmlWritten : kKmlWriteFailed;
    } catch (const std::bad_alloc&) {
        // A document too large for memory is not written at all.
        return kKmlWriteFailed;
    }
}

}  // namespace vantora
