#include "unit/text_file_lines.h"

#include <fstream>
#include <iterator>

#include "platform/code_page.h"

namespace vantora {

namespace {

// Small files only: a list file of a thousand paths is well under 1 MB.
constexpr std::size_t kMaxTextFileBytes = 16 * 1024 * 1024;

std::optional<std::string> readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxTextFileBytes)
            break;
    }
    return bytes;
}

}  // namespace

AnsiLines readAnsiLines(const std::filesystem::path& file, std::size_t maxLineBytes)
{
    AnsiLines result;
    const auto bytes = readBytes(file);
    if (!bytes)
        return result;
    result.opened = true;
    std::string_view rest(*bytes);
    const std::size_t end = rest.find('\x1A');
    if (end != std::string_view::npos)
        rest = rest.substr(0, end);
    while (!rest.empty()) {
        const std::size_t lineEnd = rest.find('\n');
        std::string_view line = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > maxLineBytes)
            break;
        result.lines.emplace_back(line);
    }
    return result;
}

std::optional<std::filesystem::path> readFirstAnsiLine(const std::filesystem::path& file)
{
    const AnsiLines text = readAnsiLines(file, kMaxTextFileBytes);
    if (!text.opened)
        return std::nullopt;
    if (text.lines.empty())
        return std::filesystem::path();
    return platform::fromAnsiPath(text.lines.front()).value_or(std::filesystem::path());
}

}  // namespace vantora
