#include "tracklog/nmea_reader.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

#include "tracklog/nmea_fix_assembly.h"
#include "tracklog/nmea_sentences.h"

namespace vantora {

namespace {

using nmea::Sentence;
using nmea::SentenceType;

constexpr std::size_t kMaxLineLength = 259;
constexpr char kCtrlZ = 0x1A;

// ---------------------------------------------------------------- sentences

class SentenceReader {
public:
    explicit SentenceReader(LogFileRecord& record) : fixes_(record) {}

    void handleLine(std::string_view line)
    {
        Sentence s;
        for (std::size_t at = 0; (at = nmea::findSentence(line, at, s)) != std::string_view::npos;)
            handleSentence(s);
    }

    // Nothing on an over-long line is read, but a GGA or RMC named there
    // still shows which sentences the log has.
    void handleOverlongLine(std::string_view start)
    {
        Sentence s;
        for (std::size_t at = 0; (at = nmea::findSentence(start, at, s)) != std::string_view::npos;)
            if (s.type != SentenceType::other)
                fixes_.noteSentence(s.type);
    }

    void finish() { fixes_.finish(); }
    bool pointMade() const { return fixes_.pointMade(); }
    bool sawSentence() const { return sawSentence_; }

private:
    void handleSentence(const Sentence& s)
    {
        sawSentence_ = sawSentence_ || s.intact;
        if (s.type == SentenceType::other)
            return;
        fixes_.noteSentence(s.type);
        if (!s.intact) {
            if (s.type == SentenceType::gga)
                fixes_.dropGgasAwaitingPartner();
            return;
        }
        switch (s.type) {
        case SentenceType::gga:
            if (const auto fix = nmea::readGga(s))
                fixes_.addGga(*fix);
            break;
        case SentenceType::rmc:
            if (const auto fix = nmea::readRmc(s))
                fixes_.addRmc(*fix);
            break;
        case SentenceType::zda:
            if (const auto zda = nmea::readZda(s))
                fixes_.addZda(*zda);
            break;
        case SentenceType::other: break;
        }
    }

    nmea::FixAssembler fixes_;
    bool sawSentence_ = false;
};

// ---------------------------------------------------------------- lines

// Cuts a byte stream into lines by the text-mode rules: LF ends a line and
// drops a CR just before it, Ctrl-Z ends the file, a last line without LF
// still counts. A line over kMaxLineLength characters is skipped whole.
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
        if (!overlong_ && length <= kMaxLineLength)
            reader_.handleLine({line_.data(), length});
        else
            reader_.handleOverlongLine({line_.data(), length_});
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

bool readNmeaText(std::string_view content, LogFileRecord& record, bool* sawSentence)
{
    SentenceReader reader(record);
    LineSplitter lines(reader);
    if (lines.feed(content))
        lines.finish();
    reader.finish();
    if (sawSentence)
        *sawSentence = reader.sawSentence();
    return reader.pointMade();
}

bool readNmeaLog(const std::filesystem::path& path, LogFileRecord& record, bool* sawSentence)
{
    if (sawSentence)
        *sawSentence = false;
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
    reader.finish();
    if (sawSentence)
        *sawSentence = reader.sawSentence();
    return reader.pointMade();
}

}  // namespace vantora
