// What writing positions costs next to copying the same photos: 500 small
// photos (about 100 KB) and 40 camera-size photos (7 MB of image data), each
// given a matched position and written as the program writes them, against
// `cp -r` of the same folder followed by one `sync` - the least any safe
// writer of new files can cost. Every run starts with the photos on the disk
// (a `sync` outside the timing), and the end prints how many times the copy
// each write took.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "camera_photo.h"
#include "demo_photo.h"
#include "photo/photo_reading.h"
#include "photo/photo_writing.h"
#include "photo/track_builder.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

constexpr std::size_t kKB = 1024;

struct PhotoSet {
    vantora::test::TempDir dir;
    fs::path originals;
    std::size_t fileSize = 0;

    PhotoSet(int count, const Bytes& jpeg) : originals(dir.path() / "originals"), fileSize(jpeg.size())
    {
        fs::create_directories(originals);
        for (int i = 0; i < count; ++i)
            std::ofstream(originals / ("IMG_" + std::to_string(i) + ".JPG"), std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        std::system("sync");
    }
};

const PhotoSet& smallPhotos()
{
    static const PhotoSet set(500, demo_photo::makeDemoJpeg("2008:05:01 10:30:05", 100 * kKB));
    return set;
}

const PhotoSet& cameraPhotos()
{
    static const PhotoSet set(40, bench::cameraPhoto(7 * kKB * kKB));
    return set;
}

// Milliseconds of each timed round, by benchmark, for the closing comparison.
std::map<std::string, std::vector<double>>& roundsTaken()
{
    static std::map<std::string, std::vector<double>> rounds;
    return rounds;
}

class RoundTimer {
public:
    explicit RoundTimer(std::string name) : name_(std::move(name)), start_(std::chrono::steady_clock::now()) {}
    ~RoundTimer()
    {
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start_;
        roundsTaken()[name_].push_back(took.count());
    }

private:
    std::string name_;
    std::chrono::steady_clock::time_point start_;
};

// A fresh copy of the originals in `folder`, on the disk before the round.
void freshCopy(const PhotoSet& set, const fs::path& folder)
{
    fs::remove_all(folder);
    fs::copy(set.originals, folder);
    std::system("sync");
}

void writePositions(benchmark::State& state, const PhotoSet& set, const std::string& name)
{
    vantora::test::ScopedTimeZone tz("JST-9");
    vantora::LogList noLogs;
    const fs::path folder = set.dir.path() / "written";
    for (auto _ : state) {
        state.PauseTiming();
        freshCopy(set, folder);
        std::vector<fs::path> paths(fs::directory_iterator(folder), {});
        vantora::PhotoList list(noLogs);
        int added = 0;
        bool limitReached = false;
        vantora::addPhotos(list, paths, added, limitReached);
        for (auto& record : list.records)
            record.match = vantora::test::fixMatch(vantora::test::dateTime(2008, 5, 1, 1, 30, 5),
                                                   vantora::test::dms(35, 39, 74), vantora::test::dms(139, 45, 407));
        state.ResumeTiming();
        vantora::WriteSummary summary;
        {
            RoundTimer timer(name);
            summary = vantora::writePositions(list);
        }
        if (summary.written != static_cast<int>(paths.size()))
            state.SkipWithError("not every photo was written");
    }
    state.counters["photos"] = double(std::distance(fs::directory_iterator(set.originals), {}));
    state.counters["file_KB"] = double(set.fileSize) / double(kKB);
}

void copyAndSync(benchmark::State& state, const PhotoSet& set, const std::string& name)
{
    const fs::path folder = set.dir.path() / "copied";
    const std::string command = "cp -r '" + set.originals.string() + "' '" + folder.string() + "' && sync";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        std::system("sync");
        state.ResumeTiming();
        RoundTimer timer(name);
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp -r failed");
    }
}

void WritePositionsInto500SmallPhotos(benchmark::State& state)
{
    writePositions(state, smallPhotos(), "write small");
}
void CopyAndSync500SmallPhotos(benchmark::State& state)
{
    copyAndSync(state, smallPhotos(), "copy small");
}
void WritePositionsInto40CameraPhotos(benchmark::State& state)
{
    writePositions(state, cameraPhotos(), "write camera");
}
void CopyAndSync40CameraPhotos(benchmark::State& state)
{
    copyAndSync(state, cameraPhotos(), "copy camera");
}

BENCHMARK(WritePositionsInto500SmallPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CopyAndSync500SmallPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(WritePositionsInto40CameraPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CopyAndSync40CameraPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printComparison(const char* what, const std::string& write, const std::string& copy, double goal)
{
    const double w = median(roundsTaken()[write]);
    const double c = median(roundsTaken()[copy]);
    if (w <= 0 || c <= 0)
        return;
    std::printf("%s: write %.0f ms, cp -r + sync %.0f ms (medians): %.2fx the copy, goal %.1fx%s\n", what, w, c,
                w / c, goal, w / c <= goal ? "" : " - MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printComparison("500 small photos", "write small", "copy small", 2.0);
    printComparison("40 camera photos", "write camera", "copy camera", 1.5);
    return 0;
}
