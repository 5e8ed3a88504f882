#pragma once
// Text conversions at the edges of the program: paths for the Exif library,
// which takes them in the ANSI code page, and the code page 932 display
// texts of positions.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantora::platform {

// The path in the system's ANSI code page (UTF-8 on Linux). Empty when it
// does not convert exactly: a best-fit or lost character would open another
// file, or none, under a name the user never chose.
std::optional<std::string> toAnsiPath(const std::filesystem::path& path);

// Text in the system's ANSI code page (as the program's own text files keep
// paths and names) as a path; nullopt when the bytes are not valid in it.
std::optional<std::filesystem::path> fromAnsiPath(std::string_view text);

// Code page 932 text as UTF-8, for printing. Invalid bytes become U+FFFD.
std::string cp932ToUtf8(std::string_view text);

}  // namespace vantora::platform
