// vantora-gps: the command-line tool over the program's core.

#include <iostream>
#include <string_view>

#include "commands.h"
#include "stop_signals.h"

namespace vantora::cli {

std::string displayName(const std::filesystem::path& path)
{
    try {
        const auto utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    } catch (...) {
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

template <typename Char>
int run(int argc, Char** argv)
{
    try {
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
        if (command == "--help" || command == "-h" || command == "help") {
            printUsage(std::cout);
            return kExitOk;
        }
        if (command == "log")
            return runLogCommand(args, std::cout, std::cerr);
        if (command == "match")
            return runMatchCommand(args, std::cout, std::cerr);
        if (command == "write")
            return runWriteCommand(args, std::cout, std::cerr);
        if (command == "shift")
            return runShiftCommand(args, std::cout, std::cerr);
        if (command == "kml")
            return runKmlCommand(args, std::cout, std::cerr);
        if (command == "import")
            return runImportCommand(args, std::cout, std::cerr);
        std::cerr << "vantora-gps: unknown command " << command << "\n";
        printUsage(std::cerr);
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "vantora-gps: " << e.what() << "\n";
        return kExitSomeFailed;
    }
}

}  // namespace
}  // namespace vantora::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    return vantora::cli::run(argc, argv);
}
#else
int main(int argc, char** argv)
{
    return vantora::cli::run(argc, argv);
}
#endif
