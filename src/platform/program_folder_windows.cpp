#include "platform/program_folder.h"

#include <windows.h>

#include <string>

namespace vantora::platform {

std::filesystem::path programFolder()
{
    // The module name may be longer than MAX_PATH on a long-path system:
    // grow the buffer until it fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        if (name.size() >= 32768)
            return {};
        name.resize(name.size() * 2);
    }
    const std::size_t cut = name.find_last_of(L'\\');
    if (cut == std::wstring::npos)
        return {};
    name.resize(cut);
    return std::filesystem::path(name);
}

}  // namespace vantora::platform
