#include "platform/program_folder.h"

namespace vantora::platform {

std::filesystem::path joinToFolder(const std::filesystem::path& folder,
                                   const std::filesystem::path& name)
{
    auto joined = folder.native();
    if (!joined.empty() && joined.back() != std::filesystem::path::preferred_separator)
        joined += std::filesystem::path::preferred_separator;
    joined += name.native();
    return std::filesystem::path(std::move(joined));
}

}  // namespace vantora::platform
