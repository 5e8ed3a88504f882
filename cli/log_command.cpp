// vantora-gps log FILE...: prints every fix the reader accepts, one
// tab-separated line each, so a user can see what a log holds.

#include <ostream>

#include "commands.h"
#include "tracklog/nmea_reader.h"
#include "tracklog/text_writer.h"

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

}  // namespace

void printLogUsage(std::ostream& out)
{
    out << "usage: vantora-gps log FILE...\n"
           "\n"
           "Reads GPS logger NMEA logs and prints every accepted fix, one line each,\n"
           "separated by tabs: file name, UTC time (YYYY-MM-DD HH:MM:SS), latitude and\n"
           "longitude in signed decimal degrees (6 decimals), and the fix status letter.\n"
           "A fix is accepted when a GGA and an RMC sentence of the same second with\n"
           "valid checksums agree and the unit reported it valid.\n"
           "\n"
           "Exit status: 0 when every file gave at least one fix, 1 when some gave\n"
           "none (each is named on standard error), 2 for a usage error.\n";
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
        if (!readNmeaLog(file, record)) {
            err << "vantora-gps log: no fix in " << displayName(file) << "\n";
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
