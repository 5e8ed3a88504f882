#include "platform/code_page.h"

#include <cerrno>
#include <iconv.h>

namespace vantora::platform {

std::optional<std::string> toAnsiPath(const std::filesystem::path& path)
{
    // Linux file names are bytes, UTF-8 by convention: taken as they are.
    return path.native();
}

std::optional<std::filesystem::path> fromAnsiPath(std::string_view text)
{
    return std::filesystem::path(std::string(text));
}

std::string cp932ToUtf8(std::string_view text)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
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
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that does not convert
            ++inPtr;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace vantora::platform
