// Stands in for googleearth.exe in the launch test: writes the number of
// arguments it received and its first argument, as UTF-8, to the file named
// by VANTORA_FAKE_GE_OUT, so the test sees exactly what a real program would.

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string toUtf8(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                        length, nullptr, nullptr);
    return utf8;
}

std::wstring environmentValue(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

}  // namespace

int main()
{
    const std::wstring target = environmentValue(L"VANTORA_FAKE_GE_OUT");
    if (target.empty())
        return 2;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return 3;
    const std::wstring first = count > 1 ? arguments[1] : L"";
    LocalFree(arguments);

    // Written beside the target and then renamed, so the waiting test never
    // reads a half-written file.
    const std::wstring partial = target + L".part";
    {
        std::ofstream out(std::filesystem::path(partial), std::ios::binary);
        out << count << '\n' << toUtf8(first);
        if (!out)
            return 4;
    }
    return MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
