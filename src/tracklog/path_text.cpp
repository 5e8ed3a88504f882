#include "tracklog/path_text.h"

namespace vantora {

namespace {

template <typename Char>
Char foldCase(Char c)
{
    const auto code = static_cast<unsigned long>(c);
    if (code >= 'a' && code <= 'z')
        return static_cast<Char>(code - 'a' + 'A');
    if (code >= 0xFF41 && code <= 0xFF5A)  // full-width a-z
        return static_cast<Char>(code - 0xFF41 + 0xFF21);
    return c;
}

}  // namespace

bool equalPathsIgnoringCase(const std::filesystem::path& a, const std::filesystem::path& b)
{
    // On Linux the native text is UTF-8: full-width letters span three bytes
    // there and only ASCII folds, which is all a Linux file name needs.
    const auto& x = a.native();
    const auto& y = b.native();
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (foldCase(x[i]) != foldCase(y[i]))
            return false;
    return true;
}

}  // namespace vantora
