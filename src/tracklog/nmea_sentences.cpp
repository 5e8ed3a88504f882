#include "tracklog/nmea_sentences.h"

#include <cstdint>

#include "tracklog/nmea_numbers.h"

namespace vantora::nmea {

namespace {

constexpr std::size_t kAddressLength = 5;  // talker (2) and type (3)

// NUL, CR and LF cannot stand inside a sentence; '$' starts the next one.
bool endsSentenceBody(char c)
{
    return c == '*' || c == '$' || c == '\0' || c == '\r' || c == '\n';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isLetterOrDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The talkers of today's receivers: GPS, any combination, GLONASS, Galileo,
// BeiDou (both spellings) and QZSS.
bool isKnownTalker(std::string_view talker)
{
    for (const char* known : {"GP", "GN", "GL", "GA", "GB", "BD", "GQ"})
        if (equalIgnoringCase(talker, known))
            return true;
    return false;
}

SentenceType typeOf(std::string_view address)
{
    if (address.size() != kAddressLength || !isKnownTalker(address.substr(0, 2)))
        return SentenceType::other;
    const std::string_view type = address.substr(2);
    if (equalIgnoringCase(type, "GGA"))
        return SentenceType::gga;
    if (equalIgnoringCase(type, "RMC"))
        return SentenceType::rmc;
    if (equalIgnoringCase(type, "ZDA"))
        return SentenceType::zda;
    return SentenceType::other;
}

void addField(Sentence& out, std::string_view line, std::size_t start, std::size_t end)
{
    if (out.fieldCount < kMaxKeptFields)
        out.fields[static_cast<std::size_t>(out.fieldCount)] = line.substr(start, end - start);
    ++out.fieldCount;
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// Exactly two hexadecimal digits after the '*', not followed by a letter or
// digit ("*6B6" or "*6BX" is no checksum), so that a suffix such as
// ",1699400577000" or a glued '$' may follow.
bool readChecksum(std::string_view line, std::size_t star, std::uint8_t& value)
{
    if (star + 2 >= line.size() || !isHexDigit(line[star + 1]) || !isHexDigit(line[star + 2]))
        return false;
    if (star + 3 < line.size() && isLetterOrDigit(line[star + 3]))
        return false;
    value = static_cast<std::uint8_t>(hexValue(line[star + 1]) * 16 + hexValue(line[star + 2]));
    return true;
}

}  // namespace

std::size_t findSentence(std::string_view line, std::size_t from, Sentence& out)
{
    const std::size_t dollar = line.find('$', from);
    if (dollar == std::string_view::npos)
        return std::string_view::npos;

    out = Sentence{};
    // One pass sums the bytes and splits the fields: a day's log holds
    // half a million sentences.
    std::uint8_t sum = 0;
    std::size_t fieldStart = dollar + 1;
    std::size_t end = dollar + 1;
    for (; end < line.size() && !endsSentenceBody(line[end]); ++end) {
        sum ^= static_cast<std::uint8_t>(line[end]);
        if (line[end] == ',') {
            addField(out, line, fieldStart, end);
            fieldStart = end + 1;
        }
    }
    addField(out, line, fieldStart, end);
    out.type = typeOf(out.fields[0]);

    if (end == line.size() || line[end] != '*')
        return end;  // cut off; a '$' here starts the next sentence
    std::uint8_t written = 0;
    if (!readChecksum(line, end, written))
        return end + 1;
    out.intact = written == sum;
    return end + 3;
}

}  // namespace vantora::nmea
