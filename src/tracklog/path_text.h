#pragma once
// Path comparison as Windows file names compare: letter case does not count.

#include <filesystem>

namespace vantora {

// Folds ASCII and full-width Latin letters; other characters compare as
// they are.
bool equalPathsIgnoringCase(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace vantora
