#pragma once
// The one place where text changes its encoding: paths for the Exif library,
// which takes them in the ANSI code page, the code page 932 texts of
// positions and of the progress window, and (in the Windows build) the
// UTF-16 of every Win32 call.

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

// UTF-8 text in code page 932, as ProgressProc.dll shows its caption.
// Characters that code page 932 lacks are lost.
std::string cp932FromUtf8(std::string_view utf8);

// Code page 932 text as a wide string for display, whatever the system's
// ANSI code page. Invalid bytes become U+FFFD (the Windows build leaves
// that to MultiByteToWideChar).
std::wstring wideFromCp932(std::string_view text);

// A path as UTF-8 for display; never throws on a name that is not valid
// Unicode (the Windows build shows a lone surrogate as U+FFFD).
std::string utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-8 inside, UTF-16 at the Win32 call. Invalid input gives an empty text.
std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);
// Strict: nullopt for invalid UTF-8, rather than a text with replacement
// characters that could happen to match another.
std::optional<std::wstring> wideFromValidUtf8(std::string_view utf8);

// Text in the system's ANSI code page as UTF-16, as lenient as the list's
// display of it has always been (no check of the bytes).
std::wstring wideFromAnsi(std::string_view text);
#endif

}  // namespace vantora::platform
