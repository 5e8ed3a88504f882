// What writing positions costs next to copying the same photos: 500 photos
// of about 100 KB, each given a matched position and written (a new file
// beside it, flushed, swapped in), against a plain copy of the same files
// and against a copy flushed to the disk as the writer flushes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>
#include <vector>

#include "demo_photo.h"
#include "photo/photo_reading.h"
#include "photo/photo_writing.h"
#include "photo/track_builder.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

namespace {

constexpr int kPhotos = 500;
constexpr std::size_t kPhotoSize = 100 * 1024;

struct PhotoSet {
    vantora::test::TempDir dir;
    std::vector<std::filesystem::path> originals;

    PhotoSet()
    {
        const auto jpeg = demo_photo::makeDemoJpeg("2008:05:01 10:30:05", kPhotoSize);
        std::filesystem::create_directories(dir.path() / "originals");
        for (int i = 0; i < kPhotos; ++i) {
            const auto path = dir.path() / "originals" / ("IMG_" + std::to_string(i) + ".JPG");
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()),
                       static_cast<std::streamsize>(jpeg.size()));
            originals.push_back(path);
        }
    }

    // Fresh copies in `folder`, so each run writes into untouched photos.
    std::vector<std::filesystem::path> copiesIn(const std::string& folder) const
    {
        const auto target = dir.path() / folder;
        std::filesystem::remove_all(target);
        std::filesystem::create_directories(target);
        std::vector<std::filesystem::path> copies;
        for (const auto& original : originals) {
            copies.push_back(target / original.filename());
            std::filesystem::copy_file(original, copies.back());
        }
        return copies;
    }
};

const PhotoSet& photoSet()
{
    static const PhotoSet set;
    return set;
}

void WritePositionsInto500Photos(benchmark::State& state)
{
    vantora::test::ScopedTimeZone tz("JST-9");
    vantora::LogList noLogs;
    for (auto _ : state) {
        state.PauseTiming();
        vantora::PhotoList list(noLogs);
        int added = 0;
        bool limitReached = false;
        vantora::addPhotos(list, photoSet().copiesIn("written"), added, limitReached);
        for (auto& record : list.records)
            record.match = vantora::test::fixMatch(vantora::test::dateTime(2008, 5, 1, 1, 30, 5),
                                                     vantora::test::dms(35, 39, 74),
                                                     vantora::test::dms(139, 45, 407));
        state.ResumeTiming();
        const auto summary = vantora::writePositions(list);
        if (summary.written != kPhotos)
            state.SkipWithError("not every photo was written");
    }
}

void Copy500Photos(benchmark::State& state)
{
    const auto target = photoSet().dir.path() / "copied";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(target);
        std::filesystem::create_directories(target);
        state.ResumeTiming();
        for (const auto& original : photoSet().originals) {
            const auto copy = target / original.filename();
            std::filesystem::copy_file(original, copy);
        }
    }
}

// The fair yardstick for a safe writer: a copy that is also flushed to the
// disk before it counts as done, as every written photo is.
void CopyAndFlush500Photos(benchmark::State& state)
{
    const auto target = photoSet().dir.path() / "flushed";
    std::vector<char> buffer;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(target);
        std::filesystem::create_directories(target);
        state.ResumeTiming();
        for (const auto& original : photoSet().originals) {
            std::ifstream in(original, std::ios::binary);
            buffer.assign(std::istreambuf_iterator<char>(in), {});
            const auto copy = target / original.filename();
            std::FILE* out = std::fopen(copy.c_str(), "wb");
            if (!out) {
                state.SkipWithError("cannot write a copy");
                return;
            }
            std::fwrite(buffer.data(), 1, buffer.size(), out);
            std::fflush(out);
            fsync(fileno(out));
            std::fclose(out);
        }
    }
}

BENCHMARK(WritePositionsInto500Photos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Copy500Photos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CopyAndFlush500Photos)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
