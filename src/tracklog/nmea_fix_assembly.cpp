#include "tracklog/nmea_fix_assembly.h"

namespace vantora::nmea {

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kHalfDay = kSecondsPerDay / 2;

// A GGA alone says only that the receiver has a position, not which status
// letter a logger would have written: it shows as a valid fix.
constexpr char kValidStatus = 'A';

// A key that is equal exactly when the date and the whole second are.
std::int64_t wholeSecondKey(const CalendarDate& date, const TimeOfDay& time)
{
    return ((static_cast<std::int64_t>(date.year) * 100 + date.month) * 100 + date.day) * kSecondsPerDay +
           time.secondOfDay();
}

}  // namespace

bool RecentSeconds::addIfNew(std::int64_t second)
{
    for (std::size_t i = 0; i < count_; ++i)
        if (seconds_[i] == second)
            return false;
    seconds_[next_] = second;
    next_ = (next_ + 1) % seconds_.size();
    count_ = count_ < seconds_.size() ? count_ + 1 : count_;
    return true;
}

int DayCounter::dayOf(int secondOfDay)
{
    if (lastSecond_ >= 0 && secondOfDay + kHalfDay < lastSecond_) {
        ++day_;  // the clock went back by more than half a day: past midnight
    } else if (lastSecond_ >= 0 && secondOfDay > lastSecond_ + kHalfDay) {
        return day_ - 1;  // a late sentence of the day before; the clock stays
    }
    lastSecond_ = secondOfDay;
    return day_;
}

void FixAssembler::noteSentence(SentenceType type)
{
    // Once a log shows it has both kinds, the fixes held for a log of one
    // kind only are of no use.
    if (type == SentenceType::gga && !sawGga_) {
        sawGga_ = true;
        rmcAlone_ = {};
    }
    if (type == SentenceType::rmc && !sawRmc_) {
        sawRmc_ = true;
        ggaAlone_ = {};
        anchors_ = {};
    }
}

void FixAssembler::addGga(const GgaFix& fix)
{
    const int day = days_.dayOf(fix.time.secondOfDay());
    if (!sawRmc_ && fix.hasFix)
        holdGgaAlone(fix, day);
    if (ggasAwaiting_.find(fix.time))
        return;  // the first GGA of an instant is the one that counts
    ggasAwaiting_.add(fix);
    if (const RmcFix* rmc = rmcsAwaiting_.find(fix.time))
        pair(fix, *rmc);
}

void FixAssembler::addRmc(const RmcFix& fix)
{
    if (!fix.valid)
        return;  // a void RMC pairs with nothing, and a valid one may follow
    if (!sawGga_)
        holdRmcAlone(fix);
    if (rmcsAwaiting_.find(fix.time))
        return;
    rmcsAwaiting_.add(fix);
    if (const GgaFix* gga = ggasAwaiting_.find(fix.time))
        pair(*gga, fix);
}

void FixAssembler::addZda(const ZdaDate& zda)
{
    const int day = days_.dayOf(zda.time.secondOfDay());
    if (sawRmc_)
        return;
    ExifDateTime midnight;
    midnight.year = zda.date.year;
    midnight.month = zda.date.month;
    midnight.day = zda.date.day;
    const auto instant = toTimeValue(midnight);
    if (!instant)
        return;
    const std::int64_t dayZero = *instant / kSecondsPerDay - day;
    // A ZDA every second says the same; keep only the ones that change it.
    if (anchors_.empty() || anchors_.back().dayZero != dayZero)
        anchors_.push_back({ggaAlone_.size(), dayZero});
}

void FixAssembler::finish()
{
    if (!sawGga_) {
        for (const HeldFix& fix : rmcAlone_)
            append(makePoint(fix.date, fix.time, fix.position, fix.status));
    } else if (!sawRmc_) {
        appendGgasDatedByZda();
    }
    rmcAlone_ = {};
    ggaAlone_ = {};
}

void FixAssembler::pair(const GgaFix& gga, const RmcFix& rmc)
{
    const auto made = makePoint(rmc.date, gga.time, gga.position, rmc.status);
    if (made && pairedSeconds_.addIfNew(made->instant))
        append(made);
}

void FixAssembler::holdRmcAlone(const RmcFix& fix)
{
    if (fix.positionReadable && rmcAloneSeconds_.addIfNew(wholeSecondKey(fix.date, fix.time)))
        rmcAlone_.push_back({fix.position, fix.time, fix.date, 0, fix.status});
}

void FixAssembler::holdGgaAlone(const GgaFix& fix, int day)
{
    const std::int64_t key = static_cast<std::int64_t>(day) * kSecondsPerDay + fix.time.secondOfDay();
    if (ggaAloneSeconds_.addIfNew(key))
        ggaAlone_.push_back({fix.position, fix.time, CalendarDate{}, day, kValidStatus});
}

void FixAssembler::appendGgasDatedByZda()
{
    // Each GGA takes the date of the last ZDA before it; those before the
    // first ZDA take the first one's.
    std::size_t anchor = 0;
    for (std::size_t i = 0; i < ggaAlone_.size() && !anchors_.empty(); ++i) {
        while (anchor + 1 < anchors_.size() && anchors_[anchor + 1].firstFix <= i)
            ++anchor;
        const HeldFix& fix = ggaAlone_[i];
        const auto date = fromTimeValue((anchors_[anchor].dayZero + fix.day) * kSecondsPerDay);
        if (!date)
            continue;
        const CalendarDate calendar{static_cast<std::int16_t>(date->year),
                                    static_cast<std::int8_t>(date->month),
                                    static_cast<std::int8_t>(date->day)};
        append(makePoint(calendar, fix.time, fix.position, fix.status));
    }
}

void FixAssembler::append(const std::optional<MadePoint>& made)
{
    if (!made)
        return;
    record_.appendPoint(made->point, made->instant);
    pointMade_ = true;
}

}  // namespace vantora::nmea
