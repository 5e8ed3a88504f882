// What opening a big photo costs through the Exif library's C interface:
// JPEGs of about 1, 15, 60 and 120 MB
//   - padded with 0xFF fill bytes before their Exif segment (a hostile or
//     broken file: everything lies before the image data), and
//   - of that much image data after the start of the scan (a big camera
//     file, the normal case),
// each opened, asked for DateTimeOriginal and closed; and, for the big
// camera files, opened, given one new DateTimeOriginal and closed, which
// reads the whole photo and writes it back (a new file, flushed, swapped in).
// The label says whether the photo was read or refused (EXIF_ERR_FORMAT).

#include <benchmark/benchmark.h>

#include "camera_photo.h"
#include "demo_photo.h"
#include "exif/Exif.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kMB = 1024 * 1024;

// The demo photo (SOI, Exif APP1, tables, scan, EOI) with `size` fill bytes
// between the start marker and the Exif segment.
Bytes paddedPhoto(std::size_t size)
{
    const Bytes demo = demo_photo::makeDemoJpeg("2008:05:01 10:30:05");
    Bytes jpeg(demo.size() + size, 0xFF);
    std::copy(demo.begin(), demo.begin() + 2, jpeg.begin());
    std::copy(demo.begin() + 2, demo.end(), jpeg.begin() + 2 + static_cast<std::ptrdiff_t>(size));
    return jpeg;
}

struct PhotoFile {
    vantora::test::TempDir dir;
    std::string path;
    explicit PhotoFile(const Bytes& bytes) : path((dir.path() / "photo.jpg").string())
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

void describe(benchmark::State& state, std::size_t fileSize, ExifStatus opened)
{
    state.counters["file_MB"] = double(fileSize) / double(kMB);
    state.SetLabel(opened == EXIF_OK ? "read" : opened == EXIF_ERR_FORMAT ? "refused (EXIF_ERR_FORMAT)"
                                                                           : "error " + std::to_string(opened));
}

void readDate(benchmark::State& state, const Bytes& bytes)
{
    const PhotoFile file(bytes);
    ExifStatus opened = EXIF_OK;
    for (auto _ : state) {
        uint32_t h = 0;
        char date[20];
        opened = ExifFileOpen(file.path.c_str(), &h);
        if (opened == EXIF_OK) {
            benchmark::DoNotOptimize(ExifGetDateTimeOriginal(h, date));
            ExifFileClose(h);
        }
    }
    describe(state, bytes.size(), opened);
}

void OpenAndReadPaddedPhoto(benchmark::State& state)
{
    readDate(state, paddedPhoto(std::size_t(state.range(0)) * kMB));
}

void OpenAndReadBigCameraPhoto(benchmark::State& state)
{
    readDate(state, bench::cameraPhoto(std::size_t(state.range(0)) * kMB));
}

// Each round writes another date, so that every close writes the photo.
void OpenSetAndWriteBigCameraPhoto(benchmark::State& state)
{
    const Bytes bytes = bench::cameraPhoto(std::size_t(state.range(0)) * kMB);
    const PhotoFile file(bytes);
    ExifStatus opened = EXIF_OK;
    int round = 0;
    for (auto _ : state) {
        uint32_t h = 0;
        opened = ExifFileOpen(file.path.c_str(), &h);
        if (opened != EXIF_OK) break;
        const char* date = (round++ % 2) ? "2009:06:02 11:31:06" : "2010:07:03 12:32:07";
        const ExifStatus set = ExifSetDateTimeOriginal(h, date);
        const ExifStatus closed = ExifFileClose(h);
        if (set != EXIF_OK || closed != EXIF_OK) {
            state.SkipWithError("the photo was not written");
            break;
        }
    }
    describe(state, bytes.size(), opened);
}

void sizes(benchmark::internal::Benchmark* b)
{
    for (int mb : {1, 15, 60, 120}) b->Arg(mb);
    b->ArgName("MB")->Unit(benchmark::kMillisecond);
}

BENCHMARK(OpenAndReadPaddedPhoto)->Apply(sizes);
BENCHMARK(OpenAndReadBigCameraPhoto)->Apply(sizes);
BENCHMARK(OpenSetAndWriteBigCameraPhoto)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
