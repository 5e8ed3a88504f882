// nmea-gen: writes synthetic track logs in the form the USB GPS logger
// produces, so the log reader and the geotagger can be exercised with known
// tracks and with the kinds of damage real logs show (lost fixes, corrupted
// sentences, gaps, garbage, a cut-off last line after a power loss).
//
// Output is deterministic: the same options give a byte-identical file. All
// numbers are formatted with integer arithmetic and std::to_chars, so the
// C locale never affects the output.

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusM = 6371000.0;
constexpr double kMetresPerDegree = kEarthRadiusM * kPi / 180.0;
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;

// ---------------------------------------------------------------- calendar

struct DateTime {
    int year, month, day, hour, minute, second;
};

bool is_leap_year(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap_year(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

// Days since 1970-01-01 in the proleptic Gregorian calendar. Counting in
// eras of 400 years (H. Hinnant's method) keeps month and leap-year rules in
// one place, so rolling past midnight, month ends and year ends is just
// integer division.
std::int64_t days_from_civil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime civil_from_seconds(std::int64_t t) {
    std::int64_t days = t / 86400;
    std::int64_t secs = t % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year, month, day, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
}

// Reads exactly `width` decimal digits at `pos`.
std::optional<int> digits_at(std::string_view s, std::size_t pos, std::size_t width) {
    if (pos + width > s.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

// Parses "YYYY-MM-DDTHH:MM:SS" (an optional trailing 'Z' is accepted) as UTC
// and returns seconds since 1970-01-01T00:00:00.
std::optional<std::int64_t> parse_utc(std::string_view s) {
    if (!s.empty() && s.back() == 'Z') s.remove_suffix(1);
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
        return std::nullopt;
    const auto y = digits_at(s, 0, 4), mo = digits_at(s, 5, 2), d = digits_at(s, 8, 2);
    const auto h = digits_at(s, 11, 2), mi = digits_at(s, 14, 2), se = digits_at(s, 17, 2);
    if (!y || !mo || !d || !h || !mi || !se) return std::nullopt;
    // The log only carries a two-digit year; keep to a range where that is unambiguous enough.
    if (*y < 1900 || *y > 2099 || *mo < 1 || *mo > 12 || *d < 1 || *d > days_in_month(*y, *mo))
        return std::nullopt;
    if (*h > 23 || *mi > 59 || *se > 59) return std::nullopt;
    return days_from_civil(*y, *mo, *d) * 86400 + *h * 3600 + *mi * 60 + *se;
}

// -------------------------------------------------------- text formatting

void append_uint(std::string& out, std::uint64_t value, int min_width) {
    std::array<char, 24> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    if (ec != std::errc{}) return;  // cannot happen: 24 chars hold any uint64
    const auto len = static_cast<int>(end - buf.data());
    if (len < min_width) out.append(static_cast<std::size_t>(min_width - len), '0');
    out.append(buf.data(), end);
}

// Appends a non-negative count of 1/10^decimals units as a decimal number,
// e.g. (1234, 2) -> "12.34".
void append_fixed(std::string& out, std::uint64_t scaled, int decimals, int int_width = 1) {
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i) unit *= 10;
    append_uint(out, scaled / unit, int_width);
    out += '.';
    append_uint(out, scaled % unit, decimals);
}

// NMEA coordinates are degrees and minutes, "ddmm.mmmm" / "dddmm.mmmm".
// Rounding to a whole count of 1/10000 minute first means the minutes can
// never come out as "60.0000".
void append_coordinate(std::string& out, double degrees, int degree_width, char positive, char negative) {
    const auto units = static_cast<std::uint64_t>(std::llround(std::fabs(degrees) * 600000.0));
    append_uint(out, units / 600000, degree_width);
    append_fixed(out, units % 600000, 4, 2);
    out += ',';
    out += degrees < 0 && units != 0 ? negative : positive;
}

void append_time(std::string& out, const DateTime& dt) {
    append_uint(out, static_cast<std::uint64_t>(dt.hour), 2);
    append_uint(out, static_cast<std::uint64_t>(dt.minute), 2);
    append_uint(out, static_cast<std::uint64_t>(dt.second), 2);
    out += ".000";
}

void append_date(std::string& out, const DateTime& dt) {
    append_uint(out, static_cast<std::uint64_t>(dt.day), 2);
    append_uint(out, static_cast<std::uint64_t>(dt.month), 2);
    append_uint(out, static_cast<std::uint64_t>(dt.year % 100), 2);
}

std::uint8_t nmea_checksum(std::string_view body) {
    std::uint8_t sum = 0;
    for (const char c : body) sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

// Wraps a sentence body (the text between '$' and '*') into a full line.
// A non-zero `corruption` is XORed into the checksum, which guarantees the
// written checksum is wrong.
std::string frame(std::string_view body, std::uint8_t corruption) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    const std::uint8_t sum = nmea_checksum(body) ^ corruption;
    std::string line;
    line.reserve(body.size() + 4);
    line += '$';
    line += body;
    line += '*';
    line += kHex[sum >> 4];
    line += kHex[sum & 0x0F];
    return line;
}

// ------------------------------------------------------------- randomness

// Built on raw mt19937 output only: the standard distributions may give
// different values with different standard libraries, and the Linux and
// Windows builds must write the same files.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}

    bool chance(double probability) {
        const auto threshold = static_cast<std::uint64_t>(probability * 4294967296.0);
        return engine_() < threshold;
    }

    // Uniform in [0, n), n > 0, without modulo bias.
    std::uint32_t below(std::uint32_t n) {
        const std::uint64_t accepted = (std::uint64_t{1} << 32) / n * n;
        for (;;) {
            const std::uint64_t v = engine_();
            if (v < accepted) return static_cast<std::uint32_t>(v % n);
        }
    }

private:
    std::mt19937 engine_;
};

// ------------------------------------------------------------------ track

double normalise_heading(double degrees) {
    const double h = std::fmod(degrees, 360.0);
    return h < 0 ? h + 360.0 : h;
}

struct TrackPoint {
    double lat;
    double lon;
    double heading;
};

// Flat-earth step: good enough over one second. Going over a pole comes back
// down the other side, facing the opposite way.
void advance(TrackPoint& p, double metres) {
    const double heading_rad = p.heading * kPi / 180.0;
    const double cos_lat = std::cos(p.lat * kPi / 180.0);
    p.lat += metres * std::cos(heading_rad) / kMetresPerDegree;
    if (cos_lat > 1e-9) p.lon += metres * std::sin(heading_rad) / (kMetresPerDegree * cos_lat);

    if (p.lat > 90.0 || p.lat < -90.0) {
        p.lat = (p.lat > 0 ? 180.0 : -180.0) - p.lat;
        p.lon += 180.0;
        p.heading = normalise_heading(p.heading + 180.0);
    }
    if (p.lon > 180.0 || p.lon < -180.0) {
        p.lon = std::fmod(p.lon + 180.0, 360.0);
        if (p.lon < 0) p.lon += 360.0;
        p.lon -= 180.0;
    }
}

// ---------------------------------------------------------------- options

// "Every `every` seconds, `length` seconds of something": seconds
// every..every+length-1, 2*every..., counted from the first second.
struct Cycle {
    long every = 0;   // 0: never
    long length = 0;  // 0: not given, means 1

    bool covers(long second) const {
        return every > 0 && second >= every && second % every < (length > 0 ? length : 1);
    }
};

struct Options {
    std::int64_t start = 0;
    long seconds = 60;
    double lat = 0.0;
    double lon = 0.0;
    double speed = 0.0;
    double heading = 0.0;
    bool extra = false;
    std::uint32_t seed = 1;
    Cycle voids;
    Cycle gaps;
    double bad_checksum_rate = 0.0;
    double garbage_rate = 0.0;
    bool truncate_last = false;
    bool lf = false;
    bool help = false;
    std::string out_path;
};

constexpr std::string_view kUsage =
    R"(Usage: nmea-gen [options] OUTFILE

Writes a GPS logger track log (NMEA 0183): each second a $GPGGA sentence,
optionally $GPGSA and three $GPGSV sentences, then a $GPRMC sentence.
The same options always produce a byte-identical file.

Track:
  --start YYYY-MM-DDTHH:MM:SS  UTC time of the first fix (default 2008-05-01T00:00:00)
  --seconds N                  number of one-second fixes, 1..10000000 (default 60)
  --lat DEG                    start latitude, signed decimal degrees, south negative (default 0)
  --lon DEG                    start longitude, signed decimal degrees, west negative (default 0)
  --speed M_PER_S              ground speed in metres per second (default 0)
  --heading DEG                course over ground, degrees clockwise from north (default 0)
  --extra                      also write $GPGSA and $GPGSV sentences
  --seed N                     seed for all random choices, 0..4294967295 (default 1)

Faults:
  --void-every N               every N seconds, start a run of fixes without a valid position:
  --void-length K                K seconds (default 1, K < N) with RMC status V and GGA quality 0
  --gap-every N                every N seconds, start a run of seconds with no output at all:
  --gap-length K                 K seconds (default 1, K < N)
  --bad-checksum-rate P        probability 0..1 that a sentence gets a wrong checksum
  --garbage-rate P             probability 0..1 that a line of random bytes (including NULs)
                               is written between two seconds
  --truncate-last              cut the last line in the middle, without a line end
  --lf                         end lines with LF instead of CR LF

  --help                       show this text

Options taking a value accept both "--opt VALUE" and "--opt=VALUE".
Fault runs count from the first second: with --gap-every 10 --gap-length 3,
seconds 10, 11, 12, 20, 21, 22, ... are missing.
Exit status: 0 on success, 1 if OUTFILE cannot be written, 2 on a usage error.
)";

template <typename Number>
std::optional<Number> parse_number(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    return value;
}

std::optional<double> parse_in_range(std::string_view text, double lo, double hi) {
    const auto v = parse_number<double>(text);
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return v;
}

std::optional<long> parse_count(std::string_view text, long lo, long hi) {
    const auto v = parse_number<long>(text);
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return v;
}

bool is_flag(std::string_view name) {
    return name == "extra" || name == "truncate-last" || name == "lf" || name == "help";
}

// Stores one option; returns false if the value is not acceptable.
bool apply_option(Options& o, std::string_view name, std::string_view value) {
    constexpr long kMaxCount = 10'000'000;
    auto set_double = [&](double& field, double lo, double hi) {
        const auto v = parse_in_range(value, lo, hi);
        if (v) field = *v;
        return v.has_value();
    };
    auto set_long = [&](long& field, long lo) {
        const auto v = parse_count(value, lo, kMaxCount);
        if (v) field = *v;
        return v.has_value();
    };

    if (is_flag(name)) {
        if (!value.empty()) return false;  // "--lf=yes" is a mistake, not a flag
        if (name == "extra") o.extra = true;
        if (name == "truncate-last") o.truncate_last = true;
        if (name == "lf") o.lf = true;
        if (name == "help") o.help = true;
        return true;
    }
    if (name == "start") {
        const auto t = parse_utc(value);
        if (t) o.start = *t;
        return t.has_value();
    }
    if (name == "seed") {
        const auto v = parse_number<std::uint32_t>(value);
        if (v) o.seed = *v;
        return v.has_value();
    }
    if (name == "seconds") return set_long(o.seconds, 1);
    if (name == "lat") return set_double(o.lat, -90.0, 90.0);
    if (name == "lon") return set_double(o.lon, -180.0, 180.0);
    if (name == "speed") return set_double(o.speed, 0.0, 100000.0);
    if (name == "heading") return set_double(o.heading, -1e6, 1e6);
    if (name == "void-every") return set_long(o.voids.every, 1);
    if (name == "void-length") return set_long(o.voids.length, 1);
    if (name == "gap-every") return set_long(o.gaps.every, 1);
    if (name == "gap-length") return set_long(o.gaps.length, 1);
    if (name == "bad-checksum-rate") return set_double(o.bad_checksum_rate, 0.0, 1.0);
    if (name == "garbage-rate") return set_double(o.garbage_rate, 0.0, 1.0);
    return false;
}

std::string check_cycle(const Cycle& c, std::string_view kind) {
    const std::string every = "--" + std::string(kind) + "-every";
    const std::string length = "--" + std::string(kind) + "-length";
    if (c.length > 0 && c.every == 0) return length + " needs " + every;
    if (c.every > 0 && c.length >= c.every) return length + " must be smaller than " + every;
    return {};
}

// Fills `o` from the command line; returns an error message, empty on success.
std::string parse_args(int argc, char** argv, Options& o) {
    o.start = *parse_utc("2008-05-01T00:00:00");
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg.substr(0, 2) != "--") {
            if (!o.out_path.empty()) return "more than one output file given";
            o.out_path = std::string(arg);
            continue;
        }
        std::string_view name = arg.substr(2);
        std::string_view value;
        const auto eq = name.find('=');
        if (eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        } else if (!is_flag(name)) {
            if (i + 1 >= args.size()) return "option " + std::string(arg) + " needs a value";
            value = args[++i];
        }
        if (!apply_option(o, name, value))
            return "invalid option or value: " + std::string(arg) + (value.empty() ? "" : " " + std::string(value));
    }
    if (o.help) return {};
    if (o.out_path.empty()) return "no output file given";
    if (auto e = check_cycle(o.voids, "void"); !e.empty()) return e;
    return check_cycle(o.gaps, "gap");
}

// --------------------------------------------------------------- sentences

struct Fix {
    DateTime when;
    TrackPoint where;
    double speed;  // metres per second
    bool valid;
};

void append_position(std::string& out, const TrackPoint& p) {
    append_coordinate(out, p.lat, 2, 'N', 'S');
    out += ',';
    append_coordinate(out, p.lon, 3, 'E', 'W');
}

std::string gga_body(const Fix& f) {
    std::string s = "GPGGA,";
    append_time(s, f.when);
    s += ',';
    append_position(s, f.where);
    // Without a fix the logger reports quality 0 and no satellites in use.
    s += f.valid ? ",1,08,1.0" : ",0,00,99.9";
    s += ",40.0,M,39.0,M,,0000";
    return s;
}

std::string rmc_body(const Fix& f) {
    std::string s = "GPRMC,";
    append_time(s, f.when);
    s += f.valid ? ",A," : ",V,";
    append_position(s, f.where);
    s += ',';
    append_fixed(s, static_cast<std::uint64_t>(std::llround(f.speed * kKnotsPerMetrePerSecond * 100.0)), 2);
    s += ',';
    // 359.996 degrees must read as 0.00, not 360.00.
    append_fixed(s, static_cast<std::uint64_t>(std::llround(f.where.heading * 100.0)) % 36000, 2);
    s += ',';
    append_date(s, f.when);
    s += ",,,";
    s += f.valid ? 'A' : 'N';  // mode: autonomous, or data not valid
    return s;
}

struct Satellite {
    std::uint32_t prn, elevation, azimuth, signal;
};

constexpr std::size_t kSatellitesInView = 12;
constexpr std::size_t kSatellitesUsed = 8;

// A fixed sky for the whole log; only the signal strengths vary per second.
std::vector<Satellite> make_sky(Dice& dice) {
    std::array<std::uint32_t, 32> prns{};
    for (std::uint32_t i = 0; i < prns.size(); ++i) prns[i] = i + 1;
    std::vector<Satellite> sky;
    for (std::uint32_t i = 0; i < kSatellitesInView; ++i) {
        // Fisher-Yates, stopped after twelve picks: distinct PRNs.
        const std::uint32_t pick = i + dice.below(static_cast<std::uint32_t>(prns.size()) - i);
        std::swap(prns[i], prns[pick]);
        sky.push_back({prns[i], 5 + dice.below(81), dice.below(360), 25 + dice.below(20)});
    }
    return sky;
}

std::string gsa_body(const std::vector<Satellite>& sky, bool valid) {
    std::string s = valid ? "GPGSA,A,3" : "GPGSA,A,1";
    for (std::size_t i = 0; i < 12; ++i) {
        s += ',';
        if (valid && i < kSatellitesUsed) append_uint(s, sky[i].prn, 2);
    }
    s += valid ? ",1.8,1.0,1.5" : ",,,";
    return s;
}

std::array<std::string, 3> gsv_bodies(const std::vector<Satellite>& sky, bool valid, Dice& dice) {
    std::array<std::string, 3> bodies;
    for (std::size_t n = 0; n < bodies.size(); ++n) {
        std::string& s = bodies[n];
        s = "GPGSV,3,";
        append_uint(s, n + 1, 1);
        s += ",12";
        for (std::size_t i = n * 4; i < n * 4 + 4; ++i) {
            const Satellite& sat = sky[i];
            s += ',';
            append_uint(s, sat.prn, 2);
            s += ',';
            append_uint(s, sat.elevation, 2);
            s += ',';
            append_uint(s, sat.azimuth, 3);
            s += ',';
            const std::uint32_t jitter = dice.below(5);  // drawn always, so later seconds do not shift
            if (valid) append_uint(s, sat.signal + jitter - 2, 2);
        }
    }
    return bodies;
}

// A line of random bytes as a half-written buffer or line noise leaves it:
// any byte except CR and LF (so it stays one line), with at least one NUL.
std::string garbage_line(Dice& dice) {
    std::string line(8 + dice.below(57), '\0');
    for (char& c : line) {
        std::uint32_t b;
        do b = dice.below(256);
        while (b == '\r' || b == '\n');
        c = static_cast<char>(b);
    }
    line[dice.below(static_cast<std::uint32_t>(line.size()))] = '\0';
    return line;
}

// ----------------------------------------------------------------- output

// Holds back the most recent line so the log can end with it cut short.
class LogWriter {
public:
    LogWriter(std::ostream& out, std::string_view eol) : out_(out), eol_(eol) {}

    void line(std::string text) {
        flush_pending();
        pending_ = std::move(text);
        has_pending_ = true;
    }

    void finish(bool truncate_last) {
        if (!has_pending_) return;
        if (truncate_last) {
            const std::size_t keep = pending_.size() > 1 ? pending_.size() / 2 : pending_.size();
            out_.write(pending_.data(), static_cast<std::streamsize>(keep));
            has_pending_ = false;
        } else {
            flush_pending();
        }
    }

private:
    void flush_pending() {
        if (!has_pending_) return;
        out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        out_.write(eol_.data(), static_cast<std::streamsize>(eol_.size()));
        has_pending_ = false;
    }

    std::ostream& out_;
    std::string_view eol_;
    std::string pending_;
    bool has_pending_ = false;
};

// Each kind of randomness has its own engine, so switching one fault on or
// off does not change where the others land.
struct Randomness {
    Dice checksums;
    Dice garbage;
    Dice sky;

    explicit Randomness(std::uint32_t seed)
        : checksums(seed), garbage(seed ^ 0x9E3779B9u), sky(seed ^ 0x85EBCA6Bu) {}
};

void write_sentence(LogWriter& w, std::string_view body, const Options& o, Randomness& r) {
    const bool corrupt = r.checksums.chance(o.bad_checksum_rate);
    const std::uint32_t flip = r.checksums.below(255) + 1;  // drawn always, keeps the stream steady
    w.line(frame(body, corrupt ? static_cast<std::uint8_t>(flip) : std::uint8_t{0}));
}

void write_second(LogWriter& w, const Fix& fix, const std::vector<Satellite>& sky, const Options& o,
                  Randomness& r) {
    write_sentence(w, gga_body(fix), o, r);
    if (o.extra) {
        write_sentence(w, gsa_body(sky, fix.valid), o, r);
        for (const std::string& body : gsv_bodies(sky, fix.valid, r.sky)) write_sentence(w, body, o, r);
    }
    write_sentence(w, rmc_body(fix), o, r);
}

void write_log(std::ostream& out, const Options& o) {
    LogWriter writer(out, o.lf ? "\n" : "\r\n");
    Randomness random(o.seed);
    const std::vector<Satellite> sky = make_sky(random.sky);
    TrackPoint position{o.lat, o.lon, normalise_heading(o.heading)};
    bool first = true;

    // The track moves on during gaps and voids, so `advance` sits in the
    // loop header where `continue` cannot skip it.
    for (long i = 0; i < o.seconds; ++i, advance(position, o.speed)) {
        if (o.gaps.covers(i)) continue;
        if (!first && random.garbage.chance(o.garbage_rate)) writer.line(garbage_line(random.garbage));
        first = false;
        const Fix fix{civil_from_seconds(o.start + i), position, o.speed, !o.voids.covers(i)};
        write_second(writer, fix, sky, o, random);
    }
    writer.finish(o.truncate_last);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::string error = parse_args(argc, argv, options); !error.empty()) {
        std::cerr << "nmea-gen: " << error << "\nTry 'nmea-gen --help'.\n";
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    // Binary mode: on Windows a text stream would turn the LF of --lf into CR LF.
    std::ofstream out(options.out_path, std::ios::binary | std::ios::trunc);
    if (out) write_log(out, options);
    out.close();
    if (!out) {
        std::cerr << "nmea-gen: cannot write " << options.out_path << '\n';
        return 1;
    }
    return 0;
}
