#include "platform/code_page.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace vantora::platform {

namespace {

// `text` converted by iconv from `from` to `to`; each input byte that does
// not convert is passed over and leaves `replacement` in its place. Without
// the conversion in the C library the text comes back as it is.
std::string convert(const char* to, const char* from, std::string_view text, std::string_view replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string out;
    std::string in(text);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += replacement;
            ++inPtr;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::optional<std::string> toAnsiPath(const std::filesystem::path& path)
{
    // Linux file names are bytes, UTF-8 by convention: taken as they are.
    return path.native();
}

std::optional<std::filesystem::path> fromAnsiPath(std::string_view text)
{
    return std::filesystem::path(std::string(text));
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return path.native();  // Linux names are kept as UTF-8 bytes
}

std::string cp932ToUtf8(std::string_view text)
{
    return convert("UTF-8", "CP932", text, kUtf8Replacement);
}

std::string cp932FromUtf8(std::string_view utf8)
{
    return convert("CP932", "UTF-8", utf8, {});
}

std::wstring wideFromCp932(std::string_view text)
{
    constexpr wchar_t replacement = 0xFFFD;
    const std::string bytes =
        convert("WCHAR_T", "CP932", text, {reinterpret_cast<const char*>(&replacement), sizeof replacement});
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    return wide;
}

}  // namespace vantora::platform
