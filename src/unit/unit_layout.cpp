#include "unit/unit_layout.h"

#include <string_view>
#include <system_error>

#include "platform/program_folder.h"
#include "unit/text_file_lines.h"

namespace vantora {

namespace {

using NativeChar = std::filesystem::path::value_type;
using NativeView = std::basic_string_view<NativeChar>;

// The C library's leading-digits reading of a short field: blanks skipped,
// an optional sign, then digits; no digits read as 0.
int leadingNumber(NativeView field)
{
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

bool endsWithLogExtension(NativeView name)
{
    if (name.size() < 4)
        return false;
    const NativeView extension = name.substr(name.size() - 4);
    const char expected[] = ".log";
    for (std::size_t i = 0; i < 4; ++i) {
        NativeChar c = extension[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<NativeChar>(c - 'A' + 'a');
        if (c != static_cast<NativeChar>(expected[i]))
            return false;
    }
    return true;
}

bool isDirectory(const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    return entry.is_directory(error);
}

bool isRegularFile(const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    return entry.is_regular_file(error);
}

// The entries of a folder in listing order; an error ends the listing.
template <typename Visit>
void forEachEntry(const std::filesystem::path& folder, Visit visit)
{
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        visit(*it);
}

}  // namespace

std::string readUnitIdentifier(const std::filesystem::path& programFolder)
{
    const auto line = readFirstAnsiLine(platform::joinToFolder(programFolder, kUnitIdentifierFileName));
    if (!line || line->empty())
        return kDefaultUnitIdentifier;
    const auto utf8 = line->u8string();
    return std::string(utf8.begin(), utf8.end());
}

bool isUnitDateFolderName(const std::filesystem::path& name)
{
    const NativeView text = name.native();
    return text.size() == 8 && inRange(leadingNumber(text.substr(0, 4)), 2008, 2099) &&
           inRange(leadingNumber(text.substr(4, 2)), 1, 12) &&
           inRange(leadingNumber(text.substr(6, 2)), 1, 31);
}

bool isUnitLogFileName(const std::filesystem::path& name)
{
    const NativeView text = name.native();
    return text.size() == 10 && endsWithLogExtension(text) &&
           inRange(leadingNumber(text.substr(0, 2)), 0, 23) &&
           inRange(leadingNumber(text.substr(2, 2)), 0, 59) &&
           inRange(leadingNumber(text.substr(4, 2)), 0, 59);
}

std::vector<std::filesystem::path> ListUnitLogs(const std::filesystem::path& root)
{
    std::vector<std::filesystem::path> logs;
    forEachEntry(root, [&](const std::filesystem::directory_entry& folder) {
        if (!isDirectory(folder) || !isUnitDateFolderName(folder.path().filename()))
            return;
        forEachEntry(folder.path(), [&](const std::filesystem::directory_entry& file) {
            if (isRegularFile(file) && isUnitLogFileName(file.path().filename()))
                logs.push_back(file.path());
        });
    });
    return logs;
}

std::filesystem::path storeNameOf(const std::filesystem::path& unitLogPath)
{
    const auto folderName = unitLogPath.parent_path().filename();
    if (folderName.empty())
        return unitLogPath.filename();
    auto name = folderName.native();
    name += static_cast<std::filesystem::path::value_type>('_');
    name += unitLogPath.filename().native();
    return std::filesystem::path(std::move(name));
}

}  // namespace vantora
