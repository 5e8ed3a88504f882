#include "tracklog/nmea_reader.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

#include "tracklog/nmea_numbers.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

using nmea::decimalFraction;
using nmea::equalIgnoringCase;
using nmea::hexNumber;
using nmea::leadingInt;
using nmea::twoDigitPiece;

constexpr std::size_t kMaxLineLength = 259;
constexpr std::size_t kMaxPendingField = 15;
// Where each field stands in a sentence, counting the talker and type
// ("GPGGA") as slot 0; the checksum after '*' takes the last slot.
enum GgaSlot : int {
    kGgaTime = 1,
    kGgaLatitude,
    kGgaLatitudeHemisphere,
    kGgaLongitude,
    kGgaLongitudeHemisphere,
    kGgaChecksum = 15,
    kGgaSlots
};
enum RmcSlot : int { kRmcTime = 1, kRmcStatus, kRmcDate = 9, kRmcChecksum = 13, kRmcSlots };
// Where the pieces stand in the fields' digits: "hhmmss" and "ddmmyy".
constexpr std::size_t kHoursAt = 0, kMinutesAt = 2, kSecondsAt = 4;
constexpr std::size_t kDayAt = 0, kMonthAt = 2, kYearAt = 4;
constexpr char kCtrlZ = 0x1A;

// ---------------------------------------------------------------- sentences

char firstCharOf(std::string_view field)
{
    return field.empty() ? '\0' : field[0];
}

struct Sentence {
    std::array<std::string_view, kGgaSlots> slot{};
    int count = 0;
    std::uint8_t checksum = 0;  // XOR of the bytes between '$' and the first '*'

    std::string_view field(int i) const { return i < count ? slot[i] : std::string_view{}; }
};

// Splits the text after the '$' at every ',' and '*'. False when the
// sentence has more fields than its layout.
bool splitSentence(std::string_view line, int maxSlots, Sentence& out)
{
    out = Sentence{};
    bool summing = true;
    std::size_t fieldStart = 1;
    for (std::size_t i = 1; i <= line.size(); ++i) {
        const bool atEnd = i == line.size();
        const char c = atEnd ? '\0' : line[i];
        if (c == '*')
            summing = false;
        if (summing && !atEnd)
            out.checksum ^= static_cast<std::uint8_t>(c);
        if (atEnd || c == ',' || c == '*') {
            if (out.count == maxSlots)
                return false;
            out.slot[out.count++] = line.substr(fieldStart, i - fieldStart);
            fieldStart = i + 1;
        }
    }
    return true;
}

bool hasValidChecksum(const Sentence& s, int checksumSlot)
{
    if (s.count <= checksumSlot)
        return false;
    const auto written = hexNumber(s.slot[checksumSlot]);
    return written && *written == s.checksum;
}

enum class SentenceKind { other, gga, rmc };

SentenceKind kindOf(std::string_view line)
{
    if (line.size() < 6)
        return SentenceKind::other;
    const std::string_view head = line.substr(0, 6);
    if (equalIgnoringCase(head, "$GPGGA"))
        return SentenceKind::gga;
    if (equalIgnoringCase(head, "$GPRMC"))
        return SentenceKind::rmc;
    return SentenceKind::other;
}

// ---------------------------------------------------------------- fixes

// A short text kept from the last valid GGA until the next one.
struct PendingText {
    char chars[kMaxPendingField + 1] = {};
    std::size_t length = 0;

    void assign(std::string_view text)
    {
        length = std::min(text.size(), kMaxPendingField);
        text.copy(chars, length);
        chars[length] = '\0';
    }
    std::string_view view() const { return {chars, length}; }
};

struct PendingFix {
    PendingText time;
    PendingText latitude;
    PendingText longitude;
    char latHemisphere = '\0';
    char lonHemisphere = '\0';
};

struct AxisValue {
    int degrees = 0;
    int minutes = 0;
    double seconds = 0.0;
};

enum class AxisParse { absent, ok, impossible };

// "ddmm.mmmm" / "dddmm.mmmm": the two digits before the point are minutes,
// those before them degrees, the fraction is minutes too.
AxisParse parseAxis(std::string_view text, AxisValue& out)
{
    const std::size_t dot = text.find('.');
    if (text.empty() || dot == std::string_view::npos)
        return AxisParse::absent;
    const std::ptrdiff_t minutesAt = static_cast<std::ptrdiff_t>(dot) - 2;
    out.degrees = minutesAt > 0 ? leadingInt(text.substr(0, static_cast<std::size_t>(minutesAt))) : 0;
    out.minutes = leadingInt(text.substr(minutesAt > 0 ? static_cast<std::size_t>(minutesAt) : 0, 2));
    out.seconds = decimalFraction(text.substr(dot + 1)) * 60.0;
    // A sign would turn into a huge unsigned Exif value: refuse the fix.
    if (out.degrees < 0 || out.minutes < 0)
        return AxisParse::impossible;
    return AxisParse::ok;
}

class SentenceReader {
public:
    explicit SentenceReader(LogFileRecord& record) : record_(record) {}

    void handleLine(std::string_view line)
    {
        switch (kindOf(line)) {
        case SentenceKind::gga: handleGga(line); break;
        case SentenceKind::rmc: handleRmc(line); break;
        case SentenceKind::other: break;
        }
    }

    bool pointMade() const { return pointMade_; }

private:
    void handleGga(std::string_view line)
    {
        Sentence s;
        if (!splitSentence(line, kGgaSlots, s))
            return;
        if (!hasValidChecksum(s, kGgaChecksum)) {
            // A damaged GGA must not let the next RMC pair with an older fix.
            pending_.time.assign({});
            pending_.latitude.assign({});
            pending_.longitude.assign({});
            return;
        }
        const std::string_view time = s.slot[kGgaTime];
        const std::string_view latitude = s.slot[kGgaLatitude];
        const std::string_view longitude = s.slot[kGgaLongitude];
        if (time.size() > kMaxPendingField || latitude.size() > kMaxPendingField ||
            longitude.size() > kMaxPendingField)
            return;
        pending_.time.assign(time);
        pending_.latitude.assign(latitude);
        pending_.longitude.assign(longitude);
        pending_.latHemisphere = firstCharOf(s.slot[kGgaLatitudeHemisphere]);
        pending_.lonHemisphere = firstCharOf(s.slot[kGgaLongitudeHemisphere]);
    }

    void handleRmc(std::string_view line)
    {
        Sentence s;
        if (!splitSentence(line, kRmcSlots, s) || !hasValidChecksum(s, kRmcChecksum))
            return;
        const std::string_view statusField = s.slot[kRmcStatus];
        if (statusField.size() > 1)
            return;
        const char status = statusField.empty() ? 'A' : statusField[0];
        if (status != 'A' && status != 'a')
            return;
        if (pending_.time.length == 0 || !equalIgnoringCase(pending_.time.view(), s.slot[kRmcTime]))
            return;
        makePoint(s.slot[kRmcDate], statusField);
    }

    void makePoint(std::string_view date, std::string_view status)
    {
        TrackPoint point{};
        ExifDateTime& t = point.time;
        const int yy = twoDigitPiece(date, kYearAt);
        t.year = yy < 70 ? yy + 2000 : yy + 1900;
        t.month = twoDigitPiece(date, kMonthAt);
        t.day = twoDigitPiece(date, kDayAt);
        const std::string_view time = pending_.time.view();
        t.hour = twoDigitPiece(time, kHoursAt);
        t.minute = twoDigitPiece(time, kMinutesAt);
        t.second = twoDigitPiece(time, kSecondsAt);

        const auto instant = toTimeValue(t);
        if (!instant)
            return;
        writeTrackDateTimeText(t);
        TextWriter(point.timeText)
            .number(t.hour, 2).text(":").number(t.minute, 2).text(":").number(t.second, 2);

        if (!fillAxisFrom(point, Axis::latitude, pending_.latitude.view(), pending_.latHemisphere) ||
            !fillAxisFrom(point, Axis::longitude, pending_.longitude.view(), pending_.lonHemisphere))
            return;
        TextWriter(point.status).text(status);

        record_.appendPoint(point, *instant);
        pointMade_ = true;
    }

    static bool fillAxisFrom(TrackPoint& point, Axis axis, std::string_view text, char hemisphere)
    {
        AxisValue value;
        switch (parseAxis(text, value)) {
        case AxisParse::absent: return true;  // the axis stays zero
        case AxisParse::impossible: return false;
        case AxisParse::ok: break;
        }
        fillAxis(point, axis, value.degrees, value.minutes, value.seconds, hemisphere);
        return true;
    }

    LogFileRecord& record_;
    PendingFix pending_;
    bool pointMade_ = false;
};

// ---------------------------------------------------------------- lines

// Cuts a byte stream into lines by the text-mode rules: LF ends a line and
// drops a CR just before it, Ctrl-Z ends the file, a last line without LF
// still counts. A line over kMaxLineLength characters is skipped whole; a
// NUL ends the line's text, as it would for a C string.
class LineSplitter {
public:
    explicit LineSplitter(SentenceReader& reader) : reader_(reader) {}

    // False once Ctrl-Z has ended the file.
    bool feed(std::string_view bytes)
    {
        const std::size_t ctrlZ = bytes.find(kCtrlZ);
        const bool ended = ctrlZ != std::string_view::npos;
        if (ended)
            bytes = bytes.substr(0, ctrlZ);
        while (!bytes.empty()) {
            const std::size_t lf = bytes.find('\n');
            append(bytes.substr(0, lf));
            if (lf == std::string_view::npos)
                break;
            endLine();
            bytes.remove_prefix(lf + 1);
        }
        if (ended)
            finish();
        return !ended;
    }

    void finish()
    {
        if (length_ > 0 || overlong_)
            endLine();
    }

private:
    void append(std::string_view part)
    {
        const std::size_t room = line_.size() - length_;
        if (part.size() > room)
            overlong_ = true;
        const std::size_t take = std::min(part.size(), room);
        part.copy(line_.data() + length_, take);
        length_ += take;
    }

    void endLine()
    {
        std::size_t length = length_;
        if (!overlong_ && length > 0 && line_[length - 1] == '\r')
            --length;
        if (!overlong_ && length <= kMaxLineLength) {
            std::string_view line(line_.data(), length);
            line = line.substr(0, line.find('\0'));
            reader_.handleLine(line);
        }
        length_ = 0;
        overlong_ = false;
    }

    SentenceReader& reader_;
    // Room for the longest line and the CR of its CR LF.
    std::array<char, kMaxLineLength + 1> line_{};
    std::size_t length_ = 0;
    bool overlong_ = false;
};

}  // namespace

bool readNmeaText(std::string_view content, LogFileRecord& record)
{
    SentenceReader reader(record);
    LineSplitter lines(reader);
    if (lines.feed(content))
        lines.finish();
    return reader.pointMade();
}

bool readNmeaLog(const std::filesystem::path& path, LogFileRecord& record)
{
    record.path = path;
    if (utf16Length(path) > kMaxPathLength)
        return false;

    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;

    SentenceReader reader(record);
    LineSplitter lines(reader);
    std::vector<char> chunk(64 * 1024);
    bool more = true;
    while (more && file) {
        file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got == 0)
            break;
        more = lines.feed({chunk.data(), got});
    }
    if (more)
        lines.finish();
    return reader.pointMade();
}

}  // namespace vantora
