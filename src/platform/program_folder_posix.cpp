#include "platform/program_folder.h"

#include <system_error>

namespace vantora::platform {

std::filesystem::path programFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return executable.parent_path();
}

}  // namespace vantora::platform
