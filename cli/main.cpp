// vantora-gps: the command-line tool over the program's core.

#include <cstdio>
#include <iostream>
#include <system_error>
#include <string_view>

#include "commands.h"
#include "stop_signals.h"

namespace vantora::cli {

std::string displayName(const std::filesystem::path& path)
{
    try {
        const auto utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    } catch (const std::system_error&) {  // a Windows name that is not valid UTF-16
        return "(unprintable name)";
    }
}

namespace {

void printUsage(std::ostream& out)
{
    out << "usage: vantora-gps COMMAND [ARGS...]\n"
           "\n"
           "Commands:\n"
           "  log FILE...   print the fixes read from GPS logger NMEA logs\n"
           "  match         match photos to the logs and print the review list\n"
           "  write         write the matched positions into the photos\n"
           "  shift         move the shooting time of photos (camera clock fix)\n"
           "  kml           write the route and the photos as a KML file for Google Earth\n"
           "  import        copy the GPS unit's logs into the log store\n"
           "\n"
           "vantora-gps COMMAND --help describes a command.\n";
}

template <typename Char>
Argument toArgument(const Char* word)
{
    Argument arg;
    arg.path = std::filesystem::path(word);
    for (const Char* c = word; *c; ++c)
        arg.text += (*c > 0 && *c < 0x80) ? static_cast<char>(*c) : '?';
    return arg;
}

using Command = int (*)(const std::vector<Argument>& args, std::ostream& out, std::ostream& err);

struct NamedCommand {
    std::string_view name;
    Command run;
};

constexpr NamedCommand kCommands[] = {
    {"log", runLogCommand},     {"match", runMatchCommand}, {"write", runWriteCommand},
    {"shift", runShiftCommand}, {"kml", runKmlCommand},     {"import", runImportCommand},
};

// The command that the first word names, with the words after it.
int runCommand(const std::string& command, const std::vector<Argument>& args)
{
    if (command == "--help" || command == "-h" || command == "help") {
        printUsage(std::cout);
        return kExitOk;
    }
    for (const NamedCommand& named : kCommands)
        if (command == named.name)
            return named.run(args, std::cout, std::cerr);
    std::cerr << "vantora-gps: unknown command " << command << "\n";
    printUsage(std::cerr);
    return kExitUsage;
}

// Standard output is written in large blocks: a system call per line costs
// much, and on a Windows console far more (a day's log took minutes). What
// goes to standard error still comes in order, since std::cerr flushes
// std::cout before it writes, and the rest is flushed at exit.
void bufferStandardOutput()
{
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
}

template <typename Char>
int runCommandLine(int argc, Char** argv)
{
    bufferStandardOutput();
    installStopHandlers();
    std::vector<Argument> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(toArgument(argv[i]));
    if (args.empty()) {
        printUsage(std::cerr);
        return kExitUsage;
    }
    const std::string command = args.front().text;
    args.erase(args.begin());
    return runCommand(command, args);
}

// The one place where the tool stops an exception: whatever a command
// lets out (out of memory, most likely) is reported, and the exit status
// says that something failed.
template <typename Char>
int runWithNoExceptionEscaping(int argc, Char** argv)
{
    try {
        return runCommandLine(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "vantora-gps: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "vantora-gps: an unexpected failure stopped the command\n";
    }
    return kExitSomeFailed;
}

}  // namespace
}  // namespace vantora::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    return vantora::cli::runWithNoExceptionEscaping(argc, argv);
}
#else
int main(int argc, char** argv)
{
    return vantora::cli::runWithNoExceptionEscaping(argc, argv);
}
#endif
