#pragma once
// Where the program's code is called by Windows (a window, dialog or
// subclass procedure, wWinMain) no exception may pass: it would unwind
// through frames of the system. Each such place calls its code through this
// one guard and nowhere else is an exception caught to be ignored.

namespace vantora::ui {

// The result of `body`, or `fallback` when it throws.
template <typename Result, typename Body>
Result resultOrFallbackOnException(Result fallback, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

}  // namespace vantora::ui
