#pragma once
// Turns the GGA, RMC and ZDA fixes of one log, in file order, into its track
// points: one point a second, from the first valid fix of that second.
//  - A log with GGA and RMC sentences pairs the GGA and the RMC of one
//    instant, in either order and whatever their talkers: the position
//    comes from the GGA, the date and the validity from the RMC.
//  - A log without any GGA takes its points from the RMC alone.
//  - A log without any RMC takes its points from the GGA (valid when its
//    fix quality is not 0), dated by the log's ZDA sentences wherever they
//    stand, also after midnight at its end.
// Which kind a log is shows only at its end, so the fixes of the last two
// are held, compactly, until finish().

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tracklog/log_file_record.h"
#include "tracklog/nmea_fixes.h"

namespace vantora::nmea {

// The last few fixes of one kind, waiting for their partner of the same
// instant. A few rather than one, so that a stray sentence out of order
// does not push out the fix its partner is about to arrive for.
template <class Fix>
class FixesAwaitingPartner {
public:
    const Fix* find(const TimeOfDay& time) const
    {
        for (std::size_t i = 0; i < count_; ++i)
            if (sameInstant(fixes_[i].time, time))
                return &fixes_[i];
        return nullptr;
    }
    void add(const Fix& fix)
    {
        fixes_[next_] = fix;
        next_ = (next_ + 1) % fixes_.size();
        count_ = count_ < fixes_.size() ? count_ + 1 : count_;
    }
    void clear() { count_ = next_ = 0; }

private:
    std::array<Fix, 4> fixes_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

// The whole seconds that gave a point most recently: a 10 Hz receiver, or a
// GPGGA followed by a GLGGA, brings several fixes of one second close together.
class RecentSeconds {
public:
    // False when the second is already among them; otherwise adds it.
    bool addIfNew(std::int64_t second);

private:
    std::array<std::int64_t, 8> seconds_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

// Counts the midnights a log passes from its times of day alone, for GGA
// fixes that carry no date.
class DayCounter {
public:
    int dayOf(int secondOfDay);

private:
    int day_ = 0;
    int lastSecond_ = -1;
};

class FixAssembler {
public:
    explicit FixAssembler(LogFileRecord& record) : record_(record) {}

    // Every GGA and RMC sentence, readable or not, tells which kind the log is.
    void noteSentence(SentenceType type);
    void addGga(const GgaFix& fix);
    // A damaged GGA may have been the partner of the next RMC: no GGA held
    // so far may pair with it instead.
    void dropGgasAwaitingPartner() { ggasAwaiting_.clear(); }
    void addRmc(const RmcFix& fix);
    void addZda(const ZdaDate& zda);
    // Appends the held fixes when the log turned out to be one that needs them.
    void finish();

    bool pointMade() const { return pointMade_; }

private:
    // A fix held until the end of the log: no display texts yet.
    struct HeldFix {
        Position position;
        TimeOfDay time;
        CalendarDate date;      // an RMC's date
        std::int32_t day = 0;   // a GGA's day in the log, until a ZDA dates it
        char status = '\0';
    };
    // From this held GGA on, day 0 of the log is this day (days since 1970).
    struct DayAnchor {
        std::size_t firstFix = 0;
        std::int64_t dayZero = 0;
    };

    void pair(const GgaFix& gga, const RmcFix& rmc);
    void holdRmcAlone(const RmcFix& fix);
    void holdGgaAlone(const GgaFix& fix, int day);
    void appendGgasDatedByZda();
    void append(const std::optional<MadePoint>& made);

    LogFileRecord& record_;
    FixesAwaitingPartner<GgaFix> ggasAwaiting_;
    FixesAwaitingPartner<RmcFix> rmcsAwaiting_;
    RecentSeconds pairedSeconds_;
    bool sawGga_ = false;
    bool sawRmc_ = false;
    bool pointMade_ = false;

    std::vector<HeldFix> rmcAlone_;
    RecentSeconds rmcAloneSeconds_;
    std::vector<HeldFix> ggaAlone_;
    RecentSeconds ggaAloneSeconds_;
    DayCounter days_;
    std::vector<DayAnchor> anchors_;
};

}  // namespace vantora::nmea
