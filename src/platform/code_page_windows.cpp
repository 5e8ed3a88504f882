#include "platform/code_page.h"

#include <windows.h>

#include <vector>

namespace vantora::platform {

namespace {

std::wstring toWide(UINT codePage, DWORD flags, std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

std::string toNarrow(UINT codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    if (length <= 0)
        return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, narrow.data(), length, nullptr,
                        usedDefault);
    return narrow;
}

}  // namespace

std::optional<std::string> toAnsiPath(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    if (wide.empty())
        return std::string{};
    BOOL usedDefault = FALSE;
    std::string ansi = toNarrow(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
    if (ansi.empty() || usedDefault)
        return std::nullopt;
    // A conversion that does not come back to the same characters is refused.
    if (toWide(CP_ACP, MB_ERR_INVALID_CHARS, ansi) != wide)
        return std::nullopt;
    return ansi;
}

std::optional<std::filesystem::path> fromAnsiPath(std::string_view text)
{
    std::wstring wide = toWide(CP_ACP, MB_ERR_INVALID_CHARS, text);
    if (wide.empty() && !text.empty())
        return std::nullopt;
    return std::filesystem::path(std::move(wide));
}

std::string cp932ToUtf8(std::string_view text)
{
    return toNarrow(CP_UTF8, 0, toWide(932, 0, text), nullptr);
}

}  // namespace vantora::platform
