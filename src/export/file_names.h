#pragma once
// Free file names for files that may still be held open by another program
// from an earlier run, so a new file cannot simply replace them.

#include <filesystem>

namespace vantora {

// The path itself when nothing exists there; otherwise the first free
// numbered variant: a run of digits at the end of the base name is counted
// up keeping its width as a minimum (track09.kml -> track10.kml,
// track9.kml -> track10.kml), and a base without digits gets 1, 2, ...
// (korvel.kml -> korvel1.kml). A path whose existence cannot be checked
// counts as free, so writing to it reports the problem. Never throws.
std::filesystem::path uniqueFileName(const std::filesystem::path& path);

}  // namespace vantora
