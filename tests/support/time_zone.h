#pragma once
// Tests set the time zone they need and never depend on the machine's.
// POSIX-style zone texts ("JST-9", "UTC0") are read alike by glibc and by the
// Windows C runtime.

#include <cstdlib>
#include <ctime>
#include <string>

namespace vantora::test {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            hadOld_ = true;
            old_ = old;
        }
        set(zone);
    }
    ~ScopedTimeZone() { hadOld_ ? set(old_.c_str()) : unset(); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void set(const char* zone)
    {
#ifdef _WIN32
        _putenv_s("TZ", zone);
        _tzset();
#else
        setenv("TZ", zone, 1);
        tzset();
#endif
    }
    static void unset()
    {
#ifdef _WIN32
        _putenv_s("TZ", "");
        _tzset();
#else
        unsetenv("TZ");
        tzset();
#endif
    }

    bool hadOld_ = false;
    std::string old_;
};

}  // namespace vantora::test
