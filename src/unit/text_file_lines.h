#pragma once
// The program's own small text files (the unit identifier, "korvel.dat",
// the PC list file): lines in the system's ANSI code page, read the way a
// text-mode file reads on Windows on every system.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantora {

// The first line of the file without its line end, converted from the ANSI
// code page; nullopt when the file cannot be opened. A line whose bytes are
// not valid ANSI text reads as empty.
std::optional<std::filesystem::path> readFirstAnsiLine(const std::filesystem::path& file);

struct AnsiLines {
    bool opened = false;
    std::vector<std::string> lines;  // raw bytes of each line, line ends removed
};

// The lines of the file up to the first one longer than maxLineBytes, which
// ends the reading. CR LF and LF end a line; Ctrl-Z ends the file.
AnsiLines readAnsiLines(const std::filesystem::path& file, std::size_t maxLineBytes);

}  // namespace vantora
