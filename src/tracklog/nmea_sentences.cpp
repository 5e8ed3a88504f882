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

void splitFields(std::string_view body, Sentence& out)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = body.find(',', start);
        if (out.fieldCount < kMaxKeptFields)
            out.fields[static_cast<std::size_t>(out.fieldCount)] = body.substr(start, comma - start);
        ++out.fieldCount;
        if (comma == std::string_view::npos)
            return;
        start = comma + 1;
    }
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
    std::uint8_t sum = 0;
    std::size_t end = dollar + 1;
    for (; end < line.size() && !endsSentenceBody(line[end]); ++end)
        sum ^= static_cast<std::uint8_t>(line[end]);
    const std::string_view body = line.substr(dollar + 1, end - dollar - 1);
    splitFields(body, out);
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
