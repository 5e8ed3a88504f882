#pragma once
// The folder of the program's own executable, where the files that come
// with the program (the unit identifier, "korvel.dat", the manual) live.

#include <filesystem>

namespace vantora::platform {

// The executable's folder, without a trailing separator ("C:" for a program
// in a drive's root); empty when the system cannot tell.
std::filesystem::path programFolder();

// A file name joined to a folder with exactly one separator between them.
// Unlike path's operator/, "C:" and "x" give "C:\x", not the drive-relative
// "C:x".
std::filesystem::path joinToFolder(const std::filesystem::path& folder,
                                   const std::filesystem::path& name);

}  // namespace vantora::platform
