#pragma once
// The fixes of one log as memory holds them: stored compactly (StoredFix),
// with each fix's instant beside it for the binary searches of matching.
// A point is made whole again when it is asked for.

#include <cstddef>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "tracklog/stored_fix.h"

namespace vantora {

class LogPoints {
public:
    std::size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }

    TrackPoint operator[](std::size_t i) const;
    TrackPoint front() const { return (*this)[0]; }
    TrackPoint back() const { return (*this)[size() - 1]; }
    // times()[i] is toTimeValue((*this)[i].time).
    const std::vector<TimeValue>& times() const { return times_; }

    // Returns the stored form, or none when the point is kept whole.
    std::optional<StoredFix> append(const TrackPoint& point, TimeValue instant);
    void clear();
    // How many fixes are kept whole rather than stored compactly.
    std::size_t keptWhole() const { return whole_.size(); }

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = TrackPoint;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TrackPoint;
        Iterator(const LogPoints* points, std::size_t i) : points_(points), i_(i) {}
        TrackPoint operator*() const { return (*points_)[i_]; }
        Iterator& operator++() { ++i_; return *this; }
        bool operator==(const Iterator& other) const { return i_ == other.i_; }
    private:
        const LogPoints* points_;
        std::size_t i_;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

private:
    std::vector<StoredFix> fixes_;
    std::vector<TimeValue> times_;
    // The few fixes that do not come back exactly from their stored form,
    // by index, in index order.
    std::vector<std::pair<std::size_t, TrackPoint>> whole_;
};

}  // namespace vantora
