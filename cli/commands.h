#pragma once
// The commands of the command-line tool. Each takes its arguments (without
// the command word) and returns the process exit status: 0 success,
// 1 some input gave no result, 2 usage error.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace vantora::cli {

constexpr int kExitOk = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;

// Command-line words: paths as the system gave them, plus their ASCII text
// for options and command names.
struct Argument {
    std::filesystem::path path;
    std::string text;  // non-ASCII characters read as '?'
};

int runLogCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
int runMatchCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
int runWriteCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
int runShiftCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
int runKmlCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
int runImportCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);
void printLogUsage(std::ostream& out);
void printMatchUsage(std::ostream& out);
void printWriteUsage(std::ostream& out);
void printShiftUsage(std::ostream& out);
void printKmlUsage(std::ostream& out);
void printImportUsage(std::ostream& out);

// A path as UTF-8 text for printing; never throws.
std::string displayName(const std::filesystem::path& path);

// Why a track file gave no point, in the words the tool prints after the
// file's name ("not a GPX or NMEA track", "the XML is damaged at line 3").
std::string whyNoTrack(const std::filesystem::path& path);

}  // namespace vantora::cli
