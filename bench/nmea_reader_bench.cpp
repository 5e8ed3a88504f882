// How fast a day's log is read: a 24-hour log at 1 Hz with GGA, GSA, three
// GSV and RMC every second, as the logger writes it with satellites shown.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/nmea_text.h"
#include "support/time_zone.h"
#include "tracklog/nmea_reader.h"

namespace {

std::string dayLog()
{
    using vantora::test::sentence;
    std::string text;
    text.reserve(45u << 20);
    for (int s = 0; s < 86400; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.000", s / 3600, s / 60 % 60, s % 60);
        char lat[16];
        std::snprintf(lat, sizeof lat, "35%02d.%04d", 30 + s / 8640, s % 10000);
        text += vantora::test::gga(time, lat) + "\r\n";
        text += sentence("GPGSA,A,3,04,05,09,12,17,24,28,30,,,,,1.8,1.0,1.5") + "\r\n";
        text += sentence("GPGSV,3,1,12,04,56,050,45,05,33,210,40,09,12,300,35,12,70,120,47") + "\r\n";
        text += sentence("GPGSV,3,2,12,17,45,080,44,24,20,250,38,28,10,020,30,30,60,180,46") + "\r\n";
        text += sentence("GPGSV,3,3,12,02,05,100,,07,03,330,,15,08,270,,19,02,060,") + "\r\n";
        text += vantora::test::rmc(time) + "\r\n";
    }
    return text;
}

const std::string& dayLogText()
{
    static const std::string text = dayLog();
    return text;
}

const std::filesystem::path& dayLogFile()
{
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / "vantora-bench-day.log";
        std::ofstream(p, std::ios::binary) << dayLogText();
        return p;
    }();
    return path;
}

void report(benchmark::State& state, std::size_t fixes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dayLogText().size()));
    state.counters["fixes/s"] =
        benchmark::Counter(static_cast<double>(fixes), benchmark::Counter::kIsRate);
}

void ReadDayLogFromFile(benchmark::State& state)
{
    vantora::test::ScopedTimeZone tz("JST-9");
    const auto& path = dayLogFile();
    std::size_t fixes = 0;
    for (auto _ : state) {
        vantora::LogFileRecord record;
        benchmark::DoNotOptimize(vantora::readNmeaLog(path, record));
        fixes += record.points().size();
    }
    report(state, fixes);
}

void ReadDayLogInMemory(benchmark::State& state)
{
    vantora::test::ScopedTimeZone tz("JST-9");
    const auto& text = dayLogText();
    std::size_t fixes = 0;
    for (auto _ : state) {
        vantora::LogFileRecord record;
        benchmark::DoNotOptimize(vantora::readNmeaText(text, record));
        fixes += record.points().size();
    }
    report(state, fixes);
}

BENCHMARK(ReadDayLogFromFile)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadDayLogInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
