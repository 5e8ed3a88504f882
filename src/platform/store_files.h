#pragma once
// The file operations of the log store that differ by system: copying
// without ever overwriting, the attributes of the store's folders, and
// replacing a file in one step.

#include <filesystem>
#include <optional>
#include <string_view>

namespace vantora::platform {

// Copies the file; fails, leaving the target untouched, when a file of that
// name exists. The copy is flushed to the disk before success is reported,
// so that the original may be deleted afterwards. A failed copy leaves no
// partial target behind.
bool copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to);

// Marks a folder the program created for its store as hidden and read-only
// (on Windows; the read-only flag of a folder does not stop files from
// being written into it there). Nothing to do elsewhere.
void markStoreFolder(const std::filesystem::path& folder);

// Creates or truncates the file and writes the bytes, flushed to the disk.
// False when any step fails; the file may then be incomplete.
bool writeFileDurably(const std::filesystem::path& file, std::string_view bytes);

// Moves a completely written file over the target in one step, flushed:
// the target is either the old file or the new one, never a mixture.
bool replaceFile(const std::filesystem::path& newFile, const std::filesystem::path& target);

#ifdef _WIN32
// The user's documents folder, created when missing; nullopt when the
// system has none.
std::optional<std::filesystem::path> documentsFolder();
#endif

}  // namespace vantora::platform
