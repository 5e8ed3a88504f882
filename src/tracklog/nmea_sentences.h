#pragma once
// Finds the NMEA sentences in one line of a log: '$', the address and the
// data fields, '*' and two hexadecimal checksum digits. A sentence need not
// start its line (phone and dashcam loggers write a prefix or a suffix
// around it), and several may follow one another on one line.

#include <array>
#include <cstddef>
#include <string_view>

namespace vantora::nmea {

// The sentences the reader uses, from any satellite system's talker.
enum class SentenceType { other, gga, rmc, zda };

// Fields past this many are counted but not kept: none the reader uses
// stands so far back.
constexpr int kMaxKeptFields = 20;

struct Sentence {
    SentenceType type = SentenceType::other;
    // It ends in "*hh" and hh is the XOR of every byte between '$' and '*'.
    bool intact = false;
    // Field 0 is the address ("GPGGA"); the last is the one before the '*'.
    std::array<std::string_view, kMaxKeptFields> fields{};
    int fieldCount = 0;

    std::string_view field(int i) const
    {
        return i >= 0 && i < fieldCount && i < kMaxKeptFields ? fields[static_cast<std::size_t>(i)]
                                                               : std::string_view{};
    }
};

// Reads the next sentence that starts at or after `from` into `out` and
// returns the index just past it, or npos when no '$' follows. A sentence
// that is cut off (a NUL, CR, '$' or the line's end before its checksum),
// whose checksum is not two hexadecimal digits on their own, or whose
// checksum is wrong is returned with intact false.
std::size_t findSentence(std::string_view line, std::size_t from, Sentence& out);

}  // namespace vantora::nmea
