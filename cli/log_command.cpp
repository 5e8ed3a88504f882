// vantora-gps log FILE...: prints every fix the reader accepts, one
// tab-separated line each, so a user can see what a log holds.

#include <ostream>
#include <string>
#include <system_error>

#include "commands.h"
#include "tracklog/text_writer.h"
#include "tracklog/track_reader.h"

namespace vantora::cli {

namespace {

std::string narrow(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

void printFix(std::ostream& out, const std::string& name, const TrackPoint& p)
{
    const ExifDateTime& t = p.time;
    std::string line;
    line.reserve(96);
    line += name;
    line += '\t';
    line += formatNumber(t.year, 4) + '-' + formatNumber(t.month, 2) + '-' +
            formatNumber(t.day, 2) + ' ' + formatNumber(t.hour, 2) + ':' +
            formatNumber(t.minute, 2) + ':' + formatNumber(t.second, 2);
    line += '\t';
    line += narrow(formatDegrees(latitudeDegrees(p), p.latitudeRef, 'N'));
    line += '\t';
    line += narrow(formatDegrees(longitudeDegrees(p), p.longitudeRef, 'E'));
    line += '\t';
    line += p.status;
    line += '\n';
    out << line;
}

std::string problemText(const TrackReadResult& result, const std::filesystem::path& path)
{
    switch (result.problem) {
    case TrackProblem::none: break;
    case TrackProblem::cannotOpen: {
        std::error_code error;
        return std::filesystem::exists(path, error) ? "cannot be read" : "not found";
    }
    case TrackProblem::notATrack: return "not a GPX or NMEA track";
    case TrackProblem::noValidFix: return "no valid fix in the log";
    case TrackProblem::noTimedTrackPoint: return "no track point with a time";
    case TrackProblem::onlyWaypointsAndRoutes: return "only waypoints and routes, no track";
    case TrackProblem::damagedXml: return "the XML is damaged at line " + std::to_string(result.line);
    case TrackProblem::dtdRefused: return "the XML declares a DTD, which is not read";
    case TrackProblem::notEnoughMemory: return "too large to hold in memory";
    }
    return "no point in the file";
}

}  // namespace

std::string whyNoTrack(const std::filesystem::path& path)
{
    LogFileRecord record;
    return problemText(readTrackLog(path, record), path);
}

void printLogUsage(std::ostream& out)
{
    out << "usage: vantora-gps log FILE...\n"
           "\n"
           "Reads track logs (NMEA logs of the GPS logger and of other receivers,\n"
           "phones and dashcams, and GPX files, told apart by their content) and\n"
           "prints every accepted fix, one line each, separated by tabs: file name,\n"
           "UTC time (YYYY-MM-DD HH:MM:SS), latitude and longitude in signed decimal\n"
           "degrees (6 decimals), and the fix status letter (A for a GPX point).\n"
           "\n"
           "Exit status: 0 when every file gave at least one fix, 1 when some gave\n"
           "none (each is named on standard error, with the reason), 2 for a usage\n"
           "error.\n";
}

int runLogCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::filesystem::path> files;
    for (const Argument& arg : args) {
        if (arg.text == "--help" || arg.text == "-h") {
            printLogUsage(out);
            return kExitOk;
        }
        if (arg.text.size() > 1 && arg.text[0] == '-' && arg.text != "--") {
            err << "vantora-gps log: unknown option " << arg.text << "\n";
            printLogUsage(err);
            return kExitUsage;
        }
        if (arg.text != "--")
            files.push_back(arg.path);
    }
    if (files.empty()) {
        err << "vantora-gps log: no log file given\n";
        printLogUsage(err);
        return kExitUsage;
    }

    int status = kExitOk;
    for (const auto& file : files) {
        LogFileRecord record;
        const std::string name = displayName(file.filename());
        const TrackReadResult read = readTrackLog(file, record);
        if (!read.read()) {
            err << "vantora-gps log: no fix in " << displayName(file) << ": " << problemText(read, file)
                << "\n";
            status = kExitSomeFailed;
            continue;
        }
        for (const TrackPoint& point : record.points())
            printFix(out, name, point);
    }
    out.flush();
    return status;
}

}  // namespace vantora::cli
