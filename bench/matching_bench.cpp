// How fast photos are matched at the limits of the lists: 2000 photos
// against 1000 logs of an hour each (3600 fixes at one a second, one log a
// day), by matchAll and by the plain scan that converts every instant at
// every comparison. Prints both times, their ratio, and how many photos the
// two matched differently (which must be none). Then the clock finder on
// the same photos taken by a camera an hour ahead, so that every zone is
// tried for all of them.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "photo/clock_finder.h"
#include "photo/matching.h"
#include "photo/point_comparison.h"
#include "photo/track_builder.h"
#include "support/reference_matching.h"
#include "support/time_zone.h"

namespace {

using namespace vantora;

constexpr int kLogs = 1000;
constexpr int kFixesPerLog = 3600;
constexpr int kPhotos = 2000;
constexpr TimeValue kDay = 86400;
constexpr UtcOffset kOffset{1, 9, 0};

struct Workload {
    LogList logs;
    std::vector<PhotoRecord> photos;
};

Workload makeWorkload()
{
    Workload w;
    const TimeValue start = toTimeValue(test::dateTime(2008, 1, 1, 0, 0, 0)).value();
    for (int i = 0; i < kLogs; ++i) {
        test::LogBuilder log("day" + std::to_string(i) + ".log");
        const TimeValue first = start + i * kDay;
        for (int s = 0; s < kFixesPerLog; ++s)
            log.fixAt(first + s, test::dms(35, 0, 0) + s * 3 + i, test::dms(139, 0, 0) + s * 5);
        w.logs.push_back(log.build());
    }

    // Mostly inside a log, some between logs and some outside the track.
    std::mt19937 random(2008);
    const auto pick = [&](TimeValue n) { return static_cast<TimeValue>(random() % n); };
    for (int p = 0; p < kPhotos; ++p) {
        const TimeValue dayStart = start + pick(kLogs) * kDay;
        TimeValue moment = 0;
        switch (pick(10)) {
        case 0: moment = dayStart + kFixesPerLog + pick(kDay - kFixesPerLog); break;
        case 1:
            moment = pick(2) ? start - 1 - pick(kDay) : start + kLogs * kDay + pick(kDay);
            break;
        default: moment = dayStart + pick(kFixesPerLog); break;
        }
        w.photos.push_back(test::photoTakenAt(test::onCameraClock(moment, kOffset)));
    }
    return w;
}

const Workload& workload()
{
    static const Workload w = makeWorkload();
    return w;
}

using Matcher = void (*)(PhotoList&, const UtcOffset&);

PhotoList freshList()
{
    PhotoList list(workload().logs);
    list.records = workload().photos;
    return list;
}

void runMatcher(benchmark::State& state, Matcher matcher)
{
    for (auto _ : state) {
        state.PauseTiming();
        PhotoList list = freshList();
        state.ResumeTiming();
        matcher(list, kOffset);
        benchmark::DoNotOptimize(list.records.data());
    }
    state.counters["photos/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kPhotos), benchmark::Counter::kIsRate);
}

void MatchAll(benchmark::State& state)
{
    runMatcher(state, matchAll);
}

void PlainScan(benchmark::State& state)
{
    runMatcher(state, test::referenceMatchAll);
}

// The photos as a camera an hour ahead took them: nearly all fall outside
// the track, so the finder tries every zone for every photo.
PhotoList listOfACameraAnHourAhead()
{
    PhotoList list = freshList();
    for (PhotoRecord& record : list.records)
        record.exif.shootingTime = fromTimeValue(toTimeValue(record.exif.shootingTime).value() + 3600).value();
    return list;
}

void FindCameraClocks(benchmark::State& state)
{
    const PhotoList list = listOfACameraAnHourAhead();
    for (auto _ : state) {
        auto proposals = findCameraClocks(list);
        benchmark::DoNotOptimize(proposals.data());
    }
}

BENCHMARK(MatchAll)->Unit(benchmark::kMillisecond);
BENCHMARK(FindCameraClocks)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainScan)->Unit(benchmark::kMillisecond)->Iterations(1);

double timedRun(PhotoList& list, Matcher matcher)
{
    const auto begin = std::chrono::steady_clock::now();
    matcher(list, kOffset);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
        .count();
}

bool sameResult(const PhotoRecord& a, const PhotoRecord& b)
{
    if (a.match.has_value() != b.match.has_value())
        return false;
    if (a.match && (!test::firstDifference(a.match->point, b.match->point).empty() ||
                    a.match->utc != b.match->utc))
        return false;
    return a.doubtful == b.doubtful && a.matchedLogPath == b.matchedLogPath;
}

void compareOnce()
{
    PhotoList fast = freshList();
    PhotoList plain = freshList();
    const double fastMs = timedRun(fast, matchAll);
    const double plainMs = timedRun(plain, test::referenceMatchAll);

    int mismatches = 0;
    int matched = 0;
    for (std::size_t i = 0; i < fast.records.size(); ++i) {
        mismatches += sameResult(fast.records[i], plain.records[i]) ? 0 : 1;
        matched += fast.records[i].match ? 1 : 0;
    }
    std::printf("\n%d photos, %d logs of %d fixes: %d matched\n", kPhotos, kLogs, kFixesPerLog,
                matched);
    std::printf("matchAll   %10.2f ms\nplain scan %10.2f ms\nratio      %10.1f times faster\n",
                fastMs, plainMs, plainMs / fastMs);
    std::printf("mismatches %10d\n", mismatches);

    const PhotoList ahead = listOfACameraAnHourAhead();
    const auto begin = std::chrono::steady_clock::now();
    const auto proposals = findCameraClocks(ahead);
    const double finderMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    std::printf("clock finder %8.2f ms (under 50 wanted): ", finderMs);
    if (proposals.empty())
        std::printf("no proposal (a fifth of the photos lie outside every log)\n");
    else
        std::printf("%s, %d of %d inside, now %d\n", formatUtcShift(proposals[0].proposedShift).c_str(),
                    proposals[0].insideProposed, proposals[0].photos, proposals[0].insideNow);
}

}  // namespace

int main(int argc, char** argv)
{
    vantora::test::ScopedTimeZone tz("JST-9");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    workload();  // built once, outside every timing
    benchmark::RunSpecifiedBenchmarks();
    compareOnce();
    benchmark::Shutdown();
    return 0;
}
