#include "platform/code_page.h"

#include <windows.h>

#include <limits>

namespace vantora::platform {

namespace {

// Empty for empty text and for text that does not convert.
std::wstring toWide(UINT codePage, DWORD flags, std::string_view text)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length) != length)
        return {};
    return wide;
}

std::string toNarrow(UINT codePage, DWORD flags, std::wstring_view wide, BOOL* usedDefault)
{
    if (wide.empty() || wide.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
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

constexpr UINT kCodePage932 = 932;

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
    return toNarrow(CP_UTF8, 0, toWide(kCodePage932, 0, text), nullptr);
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return utf8FromWide(path.native());
}

std::string cp932FromUtf8(std::string_view utf8)
{
    return toNarrow(kCodePage932, 0, toWide(CP_UTF8, 0, utf8), nullptr);
}

std::wstring wideFromCp932(std::string_view text)
{
    return toWide(kCodePage932, 0, text);
}

std::wstring wideFromUtf8(std::string_view utf8)
{
    return toWide(CP_UTF8, 0, utf8);
}

std::string utf8FromWide(std::wstring_view wide)
{
    return toNarrow(CP_UTF8, 0, wide, nullptr);
}

std::optional<std::wstring> wideFromValidUtf8(std::string_view utf8)
{
    std::wstring wide = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (wide.empty() && !utf8.empty())
        return std::nullopt;
    return wide;
}

std::wstring wideFromAnsi(std::string_view text)
{
    return toWide(CP_ACP, 0, text);
}

}  // namespace vantora::platform
