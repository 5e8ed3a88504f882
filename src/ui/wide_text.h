#pragma once
// UTF-8 inside, UTF-16 at the Win32 call: the one conversion the windows use.

#include <string>
#include <string_view>

namespace vantora::ui {

std::wstring widen(std::string_view utf8);
std::string narrowToUtf8(std::wstring_view wide);

}  // namespace vantora::ui
