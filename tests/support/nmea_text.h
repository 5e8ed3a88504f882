#pragma once
// Builds NMEA sentences for tests: the checksum is computed here, so a test
// states only what it varies.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vantora::test {

inline std::string checksumHex(std::string_view body)
{
    std::uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<std::uint8_t>(c);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return hex;
}

// "$" + body + "*" + checksum.
inline std::string sentence(std::string_view body)
{
    return "$" + std::string(body) + "*" + checksumHex(body);
}

// A GGA of the logger's form at hhmmss.000 with the given position texts.
inline std::string gga(std::string_view time, std::string_view lat = "3539.1234",
                       std::string_view ns = "N", std::string_view lon = "13945.6789",
                       std::string_view ew = "E")
{
    return sentence("GPGGA," + std::string(time) + "," + std::string(lat) + "," +
                    std::string(ns) + "," + std::string(lon) + "," + std::string(ew) +
                    ",1,08,1.0,40.0,M,39.0,M,,0000");
}

// An RMC in the 2.3 form with the mode indicator.
inline std::string rmc(std::string_view time, std::string_view date = "010508",
                       std::string_view status = "A")
{
    return sentence("GPRMC," + std::string(time) + "," + std::string(status) +
                    ",3539.1234,N,13945.6789,E,0.00,0.00," + std::string(date) + ",,,A");
}

// Today's receivers: the same sentences from any talker ("GN", "GL"...),
// a GGA with its fix quality, an RMC with its own latitude.
inline std::string ggaFrom(std::string_view talker, std::string_view time,
                           std::string_view lat = "3539.1234", std::string_view quality = "1")
{
    return sentence(std::string(talker) + "GGA," + std::string(time) + "," + std::string(lat) +
                    ",N,13945.6789,E," + std::string(quality) + ",08,1.0,40.0,M,39.0,M,,0000");
}

inline std::string rmcFrom(std::string_view talker, std::string_view time,
                           std::string_view status = "A", std::string_view lat = "3539.1234",
                           std::string_view date = "010508")
{
    return sentence(std::string(talker) + "RMC," + std::string(time) + "," + std::string(status) +
                    "," + std::string(lat) + ",N,13945.6789,E,0.00,0.00," + std::string(date) + ",,,A");
}

// The RMC of NMEA 2.0-2.2, without the mode indicator.
inline std::string shortRmc(std::string_view time, std::string_view lat = "3539.1234")
{
    return sentence("GPRMC," + std::string(time) + ",A," + std::string(lat) +
                    ",N,13945.6789,E,0.00,0.00,010508,,");
}

// A ZDA: the UTC date of a moment, "dd", "mm", "yyyy".
inline std::string zda(std::string_view time, std::string_view day, std::string_view month,
                       std::string_view year)
{
    return sentence("GPZDA," + std::string(time) + "," + std::string(day) + "," + std::string(month) +
                    "," + std::string(year) + ",00,00");
}

// One second of a log: GGA then RMC, CR LF ended.
inline std::string fix(std::string_view time, std::string_view date = "010508")
{
    return gga(time) + "\r\n" + rmc(time, date) + "\r\n";
}

// A log of `count` one-second fixes from hh:mm:ss UTC on the given day
// (ddmmyy), the way the logger writes it.
inline std::string logText(int hour, int minute, int second, int count, const char* date = "151008")
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int t = hour * 3600 + minute * 60 + second + i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.000", t / 3600, t / 60 % 60, t % 60);
        text += fix(time, date);
    }
    return text;
}

}  // namespace vantora::test
