// generate_field_data: writes a synthetic field season under a drive mount root, laid out at the
// fixed Windows paths that fieldjoin and casetable read ("C:\a\b" lies at "ROOT/c/a/b"):
//   - the wind-data directory of each field, one subdirectory per day holding one logger file of
//     sonic samples (u, v, w, Ts) for the whole day,
//   - the weather-station directory, one tab-separated file per day with a record every 10 minutes,
//   - the four measurement-result files (seed and pollen on the fence and the hill field).
//
// The numbers are physically plausible, not a simulation: a regional weather model per minute
// (sun, temperature, dew point, showers, a mean wind with drifting direction) drives, per field,
// the sonic turbulence (negative u'w' covariance, a heat flux w'Ts' that is positive by day and
// negative at night) and the sampler readings of each case (a plume from the source point carried
// in the mean wind direction).
//
// Determinism: the output is a function of the options only. Random numbers come from an own
// xoshiro256** generator with an own normal transform (no std distributions, whose output differs
// between standard libraries), every stream is seeded from (seed, stream number) so that no file
// depends on the order in which others were written, and values are printed from integers rounded
// with llround. Build without floating-point contraction (the project's CMake passes
// -ffp-contract=off): a fused multiply-add changes last bits.

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kMinutesPerDay = 1440;
constexpr double kPi = 3.14159265358979323846;
constexpr double kKarmanTimesGravity = 0.4 * 9.8;  // the programs' 3.92 in the Obukhov length

// ---------------------------------------------------------------------------------------------
// Random numbers

/// Advances a splitmix64 state and returns its next well-mixed 64-bit output.
std::uint64_t splitMix64(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

/// xoshiro256** generator with uniform, integer and standard-normal draws defined bit for bit.
class RandomStream {
public:
    /// Seeds the stream from the run seed and a stream number (streams are independent).
    RandomStream(std::uint64_t seed, std::uint64_t stream) {
        std::uint64_t mix = seed ^ (stream * 0xD1B54A32D192ED03ULL);
        for (std::uint64_t& word : state_) word = splitMix64(mix);
    }

    /// Next raw 64-bit output.
    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    /// Uniform double in [0, 1) from the top 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    /// Uniform double in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    /// Uniform integer in [lo, hi]; the span is small, so the bias of scaling is negligible.
    int uniformInt(int lo, int hi) {
        const double span = static_cast<double>(hi - lo + 1);
        const int k = static_cast<int>(uniform() * span);
        return lo + std::min(k, hi - lo);
    }

    /// True with the given probability.
    bool chance(double probability) { return uniform() < probability; }

    /// Standard normal value by Marsaglia's polar method (two values per accepted pair).
    double normal() {
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_;
        }
        double x = 0.0;
        double y = 0.0;
        double s = 0.0;
        do {
            x = 2.0 * uniform() - 1.0;
            y = 2.0 * uniform() - 1.0;
            s = x * x + y * y;
        } while (s >= 1.0 || s == 0.0);
        const double m = std::sqrt(-2.0 * std::log(s) / s);
        spare_ = y * m;
        hasSpare_ = true;
        return x * m;
    }

private:
    /// Rotates a 64-bit word left by k bits.
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::array<std::uint64_t, 4> state_{};
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

/// Stream numbers: one per independent part of the output.
enum StreamId : std::uint64_t {
    kWeatherStream = 1,
    kFieldWindStream = 10,      // + field number
    kSonicSampleStream = 20,    // + field number
    kMeasurementStream = 30,    // + 2 * field number + material number
};

/// Ornstein-Uhlenbeck step per minute: relaxes towards `mean` with time scale `tau` minutes and
/// keeps a stationary standard deviation `sd`.
double stepMeanReverting(double value, double mean, double sd, double tau, RandomStream& random) {
    return value + (mean - value) / tau + sd * std::sqrt(2.0 / tau) * random.normal();
}

// ---------------------------------------------------------------------------------------------
// Calendar

struct CivilDate {
    int year = 2014;
    int month = 8;
    int day = 15;
};

/// Number of days of a month of the Gregorian calendar.
int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

/// The calendar day after `date`.
CivilDate nextDate(CivilDate date) {
    if (++date.day > daysInMonth(date.year, date.month)) {
        date.day = 1;
        if (++date.month > 12) {
            date.month = 1;
            ++date.year;
        }
    }
    return date;
}

/// The experiment's day number: 1 August is 1, a September date day + 31, other months day + 61.
int experimentDayIndex(CivilDate date) {
    if (date.month == 8) return date.day;
    if (date.month == 9) return date.day + 31;
    return date.day + 61;
}

/// Day numbers rise with the date only from 1 August to 31 October.
bool insideDayIndexRange(CivilDate date) { return date.month >= 8 && date.month <= 10; }

// ---------------------------------------------------------------------------------------------
// Number formatting (hot path: no allocation, no locale)

/// Writes an integer in plain decimal and returns the end; `out` must have 24 bytes of room.
char* appendInteger(char* out, long long value) {
    return std::to_chars(out, out + 24, value).ptr;
}

/// Writes `value` rounded half away from zero to `decimals` (0 to 4) decimals, "-" only when the
/// rounded value is negative; returns the end.
char* appendFixed(char* out, double value, int decimals) {
    static constexpr std::array<long long, 5> kScale{1, 10, 100, 1000, 10000};
    const long long scale = kScale[static_cast<std::size_t>(decimals)];
    long long scaled = std::llround(value * static_cast<double>(scale));
    if (scaled < 0) {
        *out++ = '-';
        scaled = -scaled;
    }
    out = appendInteger(out, scaled / scale);
    if (decimals > 0) {
        *out++ = '.';
        long long fraction = scaled % scale;
        for (int i = decimals - 1; i >= 0; --i) {
            out[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += decimals;
    }
    return out;
}

/// Writes two decimal digits of 0..99.
char* appendTwoDigits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

/// `value` formatted by appendFixed, as a string (for the small files).
std::string fixedText(double value, int decimals) {
    char text[48];
    return std::string(text, appendFixed(text, value, decimals));
}

/// Date as M/D/YYYY, the form of the measurement-result and station files.
std::string slashDateText(CivilDate date) {
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

/// Date as YYYY_MM_DD: names that sort in time order, by ASCII with or without case folding.
std::string sortableDateText(CivilDate date) {
    char text[48];
    char* p = appendInteger(text, date.year);
    *p++ = '_';
    p = appendTwoDigits(p, date.month);
    *p++ = '_';
    p = appendTwoDigits(p, date.day);
    return std::string(text, p);
}

/// Minute of day as the four characters HHMM.
std::string clockText(int minuteOfDay) {
    char text[4];
    appendTwoDigits(appendTwoDigits(text, minuteOfDay / 60), minuteOfDay % 60);
    return std::string(text, 4);
}

/// Minute of day on the 12-hour clock with a letter, e.g. "12:00 a" (midnight), "1:05 p".
std::string twelveHourText(int minuteOfDay) {
    const int hour = minuteOfDay / 60;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char text[48];
    char* p = appendInteger(text, hour12);
    *p++ = ':';
    p = appendTwoDigits(p, minuteOfDay % 60);
    *p++ = ' ';
    *p++ = hour < 12 ? 'a' : 'p';
    return std::string(text, p);
}

// ---------------------------------------------------------------------------------------------
// Output files

/// A file written in large blocks through fwrite; throws std::runtime_error on any failure.
class BlockWriter {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{8} << 20;
    static constexpr std::size_t kMaxRecordBytes = 4096;  // longest text one reserve may take

    /// Creates or truncates `path` for binary writing (line ends stay "\n" on every platform).
    explicit BlockWriter(const fs::path& path) : path_(path), buffer_(kBlockBytes + kMaxRecordBytes) {
        file_ = std::fopen(path.string().c_str(), "wb");
        if (file_ == nullptr) throw std::runtime_error("cannot create " + path.string());
        end_ = buffer_.data();
    }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;
    /// Closes without reporting; close() is the checked way.
    ~BlockWriter() {
        if (file_ != nullptr) std::fclose(file_);
    }

    /// Position to write at most kMaxRecordBytes; pass the new end to commit().
    char* reserve() {
        if (static_cast<std::size_t>(end_ - buffer_.data()) >= kBlockBytes) flushBlock();
        return end_;
    }
    /// Marks the text up to `end` (obtained from reserve()) as written.
    void commit(char* end) { end_ = end; }
    /// Appends a text of any length.
    void write(std::string_view text) {
        while (!text.empty()) {
            char* at = reserve();
            const std::size_t n = std::min(text.size(), kMaxRecordBytes);
            std::memcpy(at, text.data(), n);
            commit(at + n);
            text.remove_prefix(n);
        }
    }
    /// Writes out the buffer and closes the file; returns the file's size in bytes.
    std::uint64_t close() {
        flushBlock();
        const int status = std::fclose(file_);
        file_ = nullptr;
        if (status != 0) throw std::runtime_error("cannot write " + path_.string());
        return bytes_;
    }

private:
    /// Hands the buffered bytes to the C library in one call.
    void flushBlock() {
        const std::size_t n = static_cast<std::size_t>(end_ - buffer_.data());
        if (n > 0 && std::fwrite(buffer_.data(), 1, n, file_) != n) {
            throw std::runtime_error("cannot write " + path_.string());
        }
        bytes_ += n;
        end_ = buffer_.data();
    }

    fs::path path_;
    std::vector<char> buffer_;
    char* end_ = nullptr;
    std::FILE* file_ = nullptr;
    std::uint64_t bytes_ = 0;
};

/// Where a Windows path "X:\a\b\" lies under the mount root: ROOT/x/a/b (drive letter lower-cased,
/// every other component spelled exactly as given).
fs::path localPathOf(const fs::path& root, std::string_view windowsPath) {
    fs::path path = root;
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        const char drive = windowsPath[0];
        path /= std::string(1, drive >= 'A' && drive <= 'Z' ? static_cast<char>(drive - 'A' + 'a') : drive);
        windowsPath.remove_prefix(2);
    }
    while (!windowsPath.empty()) {
        const std::size_t sep = windowsPath.find('\\');
        const std::string_view component = windowsPath.substr(0, sep);
        if (!component.empty()) path /= std::string(component);
        if (sep == std::string_view::npos) break;
        windowsPath.remove_prefix(sep + 1);
    }
    return path;
}

/// Creates a directory with its parents; throws with the reason on failure.
void makeDirectories(const fs::path& directory) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) throw std::runtime_error("cannot create directory " + directory.string() + ": " + error.message());
}

/// Counts of what was written, for the closing summary.
struct OutputTally {
    int files = 0;
    std::uint64_t bytes = 0;
    int cases = 0;
    std::uint64_t sonicLines = 0;

    /// Adds one closed file of `size` bytes.
    void addFile(std::uint64_t size) {
        ++files;
        bytes += size;
    }
};

// ---------------------------------------------------------------------------------------------
// The experiment: fields, samplers, materials, paths

struct Sampler {
    const char* id;
    bool deposition;  // deposition sampler (reading in field 8) or concentration (field 9)
    double x;
    double y;
    double z;
};

// Block order of the measurement-result files: deposition samplers, then concentration samplers.
constexpr std::array<Sampler, 14> kFenceSamplers{{
    {"FD1", true, -6, 0, 0.5}, {"FD2", true, -3, 0, 0.5}, {"FD3", true, 3, 0, 0.5},
    {"FD4", true, 6, 0, 0.5}, {"FD5", true, 0, 6, 0.5}, {"FD6", true, 0, 3, 0.5},
    {"FD7", true, 0, -3, 0.5}, {"FD8", true, 0, -6, 0.5}, {"FD9", true, 0, 0, 0.5},
    {"FRA", false, 0, 0, 5}, {"FRB", false, 0, 0, 3.15}, {"FRC", false, 0, 0, 2.225},
    {"FRD", false, 0, 0, 1.3}, {"FRE", false, 0, 0, 0.5},
}};

constexpr std::array<Sampler, 36> kHillSamplers{{
    {"HD1", true, -6, 0, 0.5}, {"HD2", true, -3, 0, 0.5}, {"HD3", true, 3, 0, 0.5},
    {"HD4", true, 6, 0, 0.5}, {"HD5", true, 0, 6, 0.5}, {"HD6", true, 0, 3, 0.5},
    {"HD7", true, 0, -3, 0.5}, {"HD8", true, 0, -6, 0.5},
    {"HD9", true, -4.24, 4.24, 0.5}, {"HD10", true, -4.59, 4.59, 0.5},
    {"HD11", true, -4.95, 4.95, 0.5}, {"HD12", true, -5.66, 5.66, 0.5},
    {"HD13", true, -7.07, 7.07, 0.5}, {"HD14", true, -9.9, 9.9, 0.5},
    {"HD15", true, -15.56, 15.56, 0.5}, {"HD16", true, -26.87, 26.87, 0.5},
    {"HD17", true, 0, 0, 0.5},
    {"HR9", false, -4.24, 4.24, 0.5}, {"HR10", false, -4.59, 4.59, 0.5},
    {"HR11", false, -4.95, 4.95, 0.5}, {"HR12", false, -5.66, 5.66, 0.5},
    {"HR14", false, -9.9, 9.9, 0.5}, {"HR16", false, -26.87, 26.87, 0.5},
    {"H1A", false, 0, 0, 5}, {"H1B", false, 0, 0, 3.15}, {"H1C", false, 0, 0, 2.225},
    {"H1D", false, 0, 0, 1.3}, {"H1E", false, 0, 0, 0.5},
    {"H2A", false, -7.07, 7.07, 5}, {"H2B", false, -7.07, 7.07, 3.15},
    {"H2C", false, -7.07, 7.07, 1.3}, {"H2D", false, -7.07, 7.07, 0.5},
    {"H3A", false, -15.56, 15.56, 5}, {"H3B", false, -15.56, 15.56, 3.15},
    {"H3C", false, -15.56, 15.56, 1.3}, {"H3D", false, -15.56, 15.56, 0.5},
}};

struct ExperimentField {
    int number;                                       // 0 fence, 1 hill: selects random streams
    const char* name;
    std::string_view windDirectory;                   // Windows path, ending in a backslash
    const char* loggerFilePrefix;
    const char* loggerFileSuffix;                     // what the programs search for in a day directory
    std::array<std::string_view, 2> measurementPath;  // seed, pollen (Windows paths)
    const Sampler* samplers;                          // in block order
    int samplerCount;
    double speedFactor;      // field wind relative to the regional wind
    double directionOffset;  // degrees, field wind direction relative to the regional one
    double tiltDegrees;      // sonic not quite level: w holds a share of the along-wind flow,
                             // which the programs' double rotation removes
};

constexpr std::array<ExperimentField, 2> kFields{{
    {0, "fence",
     "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\FenceFieldExperiment\\2014 Fence field wind Data\\",
     "fence_sonic_", "_data.DAT",
     {"C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition Result_fence.txt",
      "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition Result_fence.txt"},
     kFenceSamplers.data(), static_cast<int>(kFenceSamplers.size()), 0.95, 0.0, 0.8},
    {1, "hill",
     "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 Hill field wind Data\\",
     "hill_", "_SONIC.DAT",
     {"C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition Result_hill.txt",
      "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition Result_hill.txt"},
     kHillSamplers.data(), static_cast<int>(kHillSamplers.size()), 1.1, 12.0, -2.5},
}};

constexpr std::string_view kStationDirectory =
    "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 weather station\\2014 weather station\\";

/// What distinguishes seed from pollen in the readings.
struct Material {
    int number;                  // 0 seed, 1 pollen
    double medianConcentration;  // grains/m3 at 0.5 m over the source point, at 2.5 m/s
    double settlingVelocity;     // m/s: deposition = settling velocity x concentration near ground
    double reach;                // m: e-folding distance of the plume along the ground
    double plumeDepth;           // m: e-folding height of the concentration over the source
    int decimals;                // printed decimals of a reading
};

constexpr std::array<Material, 2> kMaterials{{
    {0, 3.0, 0.5, 3.5, 1.2, 3},        // seed
    {1, 1500.0, 0.025, 12.0, 2.0, 1},  // pollen
}};

// ---------------------------------------------------------------------------------------------
// Options

struct Options {
    fs::path root;
    int days = 3;
    int rateHz = 10;
    std::uint64_t seed = 1;
    CivilDate firstDay{};
    int casesPerDay = 3;
};

constexpr std::string_view kUsage =
    "usage: generate_field_data --root DIR [--days N] [--rate HZ] [--seed S]\n"
    "                           [--first-day YYYY-MM-DD] [--cases-per-day K]\n"
    "  --root DIR           drive mount root; C:\\a\\b is written to DIR/c/a/b\n"
    "  --days N             days of data, 1 to 92 (default 3); all between 1 August and 31 October\n"
    "  --rate HZ            sonic samples per second, 1 to 100 (default 10; above 10 Hz a 30-minute\n"
    "                       window holds more than casetable's 18000 samples)\n"
    "  --seed S             random seed, 0 to 2^64-1 (default 1)\n"
    "  --first-day DATE     first day (default 2014-08-15; casetable reads only 2014 timestamps)\n"
    "  --cases-per-day K    sampling periods per day and file, 1 to 35 (default 3)\n";

/// Parses a whole decimal text into `value` within [lo, hi].
template <typename Integer>
bool parseNumber(std::string_view text, Integer lo, Integer hi, Integer& value) {
    Integer parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc{} || end != text.data() + text.size() || parsed < lo || parsed > hi) return false;
    value = parsed;
    return true;
}

/// Parses YYYY-MM-DD into a valid calendar date.
bool parseDate(std::string_view text, CivilDate& date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    CivilDate parsed;
    if (!parseNumber(text.substr(0, 4), 1, 9999, parsed.year) || !parseNumber(text.substr(5, 2), 1, 12, parsed.month) ||
        !parseNumber(text.substr(8, 2), 1, 31, parsed.day) || parsed.day > daysInMonth(parsed.year, parsed.month)) {
        return false;
    }
    date = parsed;
    return true;
}

/// Reads the command line into `options`; on failure puts the reason into `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    bool haveRoot = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        std::string_view value;
        const std::size_t eq = name.find('=');
        const bool inlineValue = name.starts_with("--") && eq != std::string_view::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const bool known = name == "--root" || name == "--days" || name == "--rate" || name == "--seed" ||
                           name == "--first-day" || name == "--cases-per-day";
        if (!known) {
            error = "unknown option '" + std::string(name) + "'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                error = "option " + std::string(name) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        bool ok = true;
        if (name == "--root") {
            ok = !value.empty();
            options.root = fs::path(std::string(value));
            haveRoot = ok;
        } else if (name == "--days") {
            ok = parseNumber(value, 1, 92, options.days);
        } else if (name == "--rate") {
            ok = parseNumber(value, 1, 100, options.rateHz);
        } else if (name == "--seed") {
            ok = parseNumber(value, std::uint64_t{0}, UINT64_MAX, options.seed);
        } else if (name == "--first-day") {
            ok = parseDate(value, options.firstDay);
        } else {
            ok = parseNumber(value, 1, 35, options.casesPerDay);
        }
        if (!ok) {
            error = "bad value '" + std::string(value) + "' for " + std::string(name);
            return false;
        }
    }
    if (!haveRoot) {
        error = "--root is required";
        return false;
    }
    CivilDate date = options.firstDay;
    for (int d = 0; d < options.days; ++d, date = nextDate(date)) {
        if (!insideDayIndexRange(date)) {
            error = "the days must lie between 1 August and 31 October (day numbers rise only there)";
            return false;
        }
    }
    return true;
}

/// The calendar dates of the run, first day first.
std::vector<CivilDate> runDates(const Options& options) {
    std::vector<CivilDate> dates;
    CivilDate date = options.firstDay;
    for (int d = 0; d < options.days; ++d, date = nextDate(date)) dates.push_back(date);
    return dates;
}

// ---------------------------------------------------------------------------------------------
// Regional weather, one value set per minute

struct WeatherMinute {
    double solar = 0;          // global radiation, W/m2
    double airTemp = 0;        // deg C
    double dewPoint = 0;       // deg C
    double rain = 0;           // inch fallen in this minute
    double windSpeed = 0;      // m/s, regional mean at sonic height
    double windFrom = 0;       // degrees, direction the wind comes from
    double pressure = 0;       // hPa
    double soilMoisture = 0;   // % by volume
};

/// One shower: start minute of the day, length in minutes, intensity in inch per minute.
struct Shower {
    int start;
    int length;
    double intensity;
};

/// Saturation vapour pressure over water, hPa (Magnus form).
double saturationVapourPressure(double tempC) { return 6.112 * std::exp(17.62 * tempC / (243.12 + tempC)); }

/// The regional weather of every minute of the run plus one (the end point of the last minute).
std::vector<WeatherMinute> buildWeather(const std::vector<CivilDate>& dates, std::uint64_t seed) {
    RandomStream random(seed, kWeatherStream);
    const int minutes = static_cast<int>(dates.size()) * kMinutesPerDay + 1;
    std::vector<WeatherMinute> weather(static_cast<std::size_t>(minutes));

    // Slowly varying states, carried across midnight so that nothing jumps there.
    double tempMean = 23.0 + random.normal();
    double cloud = std::clamp(0.3 + 0.15 * random.normal(), 0.0, 0.85);
    double cloudFlicker = 0.0;
    double dewMean = 17.0 + random.normal();
    double baseSpeed = std::clamp(3.0 + 0.5 * random.normal(), 2.0, 4.0);
    double gustiness = 0.0;
    double prevailing = 225.0 + 30.0 * random.normal();
    double wander = 0.0;
    double pressure = 985.0 + 3.0 * random.normal();
    double rainCooling = 0.0;
    double soilMoisture = 28.0;
    std::vector<Shower> showers;

    for (int g = 0; g < minutes; ++g) {
        const int dayNumber = std::min(g / kMinutesPerDay, static_cast<int>(dates.size()) - 1);
        const int minuteOfDay = g - dayNumber * kMinutesPerDay;  // 1440 for the extra end point
        if (minuteOfDay == 0) {
            // Showers of the day: about one day in three, mostly afternoon and evening.
            showers.clear();
            const int count = (random.chance(0.3) ? 1 : 0) + (random.chance(0.1) ? 1 : 0);
            for (int s = 0; s < count; ++s) {
                const int start = random.chance(0.7) ? random.uniformInt(780, 1260) : random.uniformInt(0, 1340);
                showers.push_back({start, random.uniformInt(20, 90), random.uniform(0.0008, 0.006)});
            }
        }
        const double hour = (minuteOfDay + 0.5) / 60.0;
        const double season = experimentDayIndex(dates[static_cast<std::size_t>(dayNumber)]) - 15;  // days after 15 Aug

        double rain = 0.0;
        for (const Shower& shower : showers) {
            if (minuteOfDay >= shower.start && minuteOfDay < shower.start + shower.length) rain += shower.intensity;
        }
        rainCooling += ((rain > 0 ? 2.0 : 0.0) - rainCooling) / 20.0;

        // Sun: a bell between sunrise and sunset, weakened by cloud and rain; days shorten.
        const double sunrise = 6.9 + 0.015 * season;
        const double sunset = 20.3 - 0.03 * season;
        const double peak = std::max(500.0, 900.0 - 5.0 * season);
        double clear = 0.0;
        if (hour > sunrise && hour < sunset) {
            clear = peak * std::pow(std::sin(kPi * (hour - sunrise) / (sunset - sunrise)), 1.2);
        }
        cloud = std::clamp(stepMeanReverting(cloud, 0.3, 0.2, 720.0, random), 0.0, 0.85);
        cloudFlicker = stepMeanReverting(cloudFlicker, 0.0, 0.12, 20.0, random);
        double transmittance = std::clamp(1.0 - cloud - cloudFlicker, 0.15, 1.0);
        if (rain > 0) transmittance *= 0.3;

        // Temperature: warmest mid-afternoon, the daily range smaller under cloud.
        tempMean = stepMeanReverting(tempMean, 23.0 - 0.1 * season, 2.0, 2880.0, random);
        const double amplitude = 7.0 * (1.0 - 0.6 * cloud);
        const double diurnal = amplitude * std::cos(2.0 * kPi * (hour - 15.5) / 24.0);
        const double airTemp = std::clamp(tempMean + diurnal - rainCooling, 12.0, 36.0);
        dewMean = stepMeanReverting(dewMean, 17.0 - 0.1 * season, 1.5, 1440.0, random);
        double dewPoint = std::min(dewMean, airTemp - 0.2);
        if (rain > 0 || rainCooling > 0.5) dewPoint = std::max(dewPoint, airTemp - 0.8);

        // Wind: a daily base, stronger by day, with gusty wander; direction drifts slowly.
        baseSpeed = stepMeanReverting(baseSpeed, 3.0, 0.5, 1440.0, random);
        gustiness = stepMeanReverting(gustiness, 0.0, 0.3, 90.0, random);
        const double daylight = std::sqrt(clear / peak);
        const double speed = std::clamp(baseSpeed * (0.55 + 0.45 * daylight) + gustiness, 1.0, 5.0);
        prevailing = stepMeanReverting(prevailing, 225.0, 40.0, 2880.0, random);
        wander = stepMeanReverting(wander, 0.0, 20.0, 180.0, random);

        pressure = stepMeanReverting(pressure, 985.0, 4.0, 2880.0, random);
        soilMoisture = std::max(15.0, soilMoisture + 50.0 * rain - 0.0015);

        WeatherMinute& w = weather[static_cast<std::size_t>(g)];
        w.solar = clear * transmittance;
        w.airTemp = airTemp;
        w.dewPoint = dewPoint;
        w.rain = rain;
        w.windSpeed = speed;
        w.windFrom = prevailing + wander;
        w.pressure = pressure + 0.8 * std::cos(4.0 * kPi * (hour - 10.0) / 24.0);
        w.soilMoisture = std::min(soilMoisture, 45.0);
    }
    return weather;
}

// ---------------------------------------------------------------------------------------------
// Field wind: per minute the intended statistics and the parameters the samples are drawn from

// Parameters linearly interpolated between minutes for every sample.
enum SonicParameter : std::size_t {
    kMeanU, kMeanV, kMeanW,
    kAlongX, kAlongY, kCrossX, kCrossY,  // unit vectors along and across the mean wind, in (u, v)
    kAlongFromA, kAlongFromB,            // along-wind fluctuation = A-part x a + B-part x b
    kCrossSigma, kWSigma,                // cross-wind and vertical fluctuation scales
    kWFromAlong,                         // a tilted sonic sees part of the along-wind flow as w
    kTsFromA, kTsFromD,                  // Ts fluctuation = A-part x a + D-part x d
    kMeanTs,
    kSonicParameterCount
};

struct FieldMinute {
    double windFrom = 0;   // degrees, direction the wind comes from
    double speed = 0;      // m/s
    double uStar = 0;      // m/s, intended friction velocity
    double heatFlux = 0;   // K m/s, intended w'Ts' covariance
    double sonicTemp = 0;  // deg C
    std::array<double, kSonicParameterCount> draw{};
};

/// The wind of one field for every minute, from the regional weather with a field offset.
std::vector<FieldMinute> buildFieldWind(const std::vector<WeatherMinute>& weather, const ExperimentField& field,
                                        std::uint64_t seed) {
    RandomStream random(seed, kFieldWindStream + static_cast<std::uint64_t>(field.number));
    std::vector<FieldMinute> minutes(weather.size());
    double directionJitter = 0.0;
    double speedJitter = 0.0;
    const double tilt = std::tan(field.tiltDegrees * kPi / 180.0);
    for (std::size_t g = 0; g < weather.size(); ++g) {
        const WeatherMinute& w = weather[g];
        directionJitter = stepMeanReverting(directionJitter, 0.0, 6.0, 40.0, random);
        speedJitter = stepMeanReverting(speedJitter, 0.0, 0.08, 60.0, random);
        FieldMinute& m = minutes[g];
        m.windFrom = std::fmod(std::fmod(w.windFrom + field.directionOffset + directionJitter, 360.0) + 360.0, 360.0);
        m.speed = std::clamp(w.windSpeed * (field.speedFactor + speedJitter), 1.0, 5.0);

        // Daytime heating makes w'Ts' positive (unstable); at night the ground cools the air
        // above it, more so in a stronger wind (stable).
        const double sun = w.solar / 900.0;
        const double nightCooling = std::clamp(0.008 * m.speed, 0.008, 0.035) * std::max(0.0, 1.0 - 8.0 * sun);
        m.heatFlux = 0.23 * sun - nightCooling;
        // Neutral log law at 3 m over a 0.13 m roughness, livelier by day.
        m.uStar = std::clamp(0.127 * m.speed * (0.9 + 0.25 * sun), 0.07, 0.7);
        m.sonicTemp = w.airTemp + 0.8;  // sonic temperature reads a little above the air temperature

        const double sigmaW = std::clamp(1.25 * m.uStar * (1.0 + 0.6 * sun), 0.1, 0.4);
        const double sigmaAlong = 2.2 * m.uStar + 0.25;
        const double sigmaCross = 1.8 * m.uStar + 0.3;
        // cov(along, w) = -rho sigmaAlong sigmaW = -u*^2 unless rho must be capped.
        const double rho = std::min(0.55, m.uStar * m.uStar / (sigmaAlong * sigmaW));
        const double sigmaTs = std::max(0.04, std::abs(m.heatFlux) / (0.5 * sigmaW));
        const double rhoTs = m.heatFlux / (sigmaW * sigmaTs);

        const double from = m.windFrom * kPi / 180.0;
        // The wind from direction theta blows towards (-sin theta, -cos theta) in (u, v), so the
        // programs' direction atan2(u, v) + 180 degrees gives theta back.
        const double alongX = -std::sin(from);
        const double alongY = -std::cos(from);
        m.draw[kMeanU] = m.speed * alongX;
        m.draw[kMeanV] = m.speed * alongY;
        m.draw[kMeanW] = m.speed * tilt;
        m.draw[kAlongX] = alongX;
        m.draw[kAlongY] = alongY;
        m.draw[kCrossX] = -alongY;
        m.draw[kCrossY] = alongX;
        m.draw[kAlongFromA] = -rho * sigmaAlong;
        m.draw[kAlongFromB] = sigmaAlong * std::sqrt(1.0 - rho * rho);
        m.draw[kCrossSigma] = sigmaCross;
        m.draw[kWSigma] = sigmaW;
        m.draw[kWFromAlong] = tilt;
        m.draw[kTsFromA] = sigmaTs * rhoTs;
        m.draw[kTsFromD] = sigmaTs * std::sqrt(1.0 - rhoTs * rhoTs);
        m.draw[kMeanTs] = m.sonicTemp;
    }
    return minutes;
}

// ---------------------------------------------------------------------------------------------
// Logger files

/// Writes the logger file of every day of one field.
void writeLoggerFiles(const Options& options, const std::vector<CivilDate>& dates, const ExperimentField& field,
                      const std::vector<FieldMinute>& wind, OutputTally& tally) {
    RandomStream random(options.seed, kSonicSampleStream + static_cast<std::uint64_t>(field.number));
    const fs::path windDirectory = localPathOf(options.root, field.windDirectory);
    const int rate = options.rateHz;
    const int samplesPerMinute = 60 * rate;
    const double minuteFraction = 1.0 / samplesPerMinute;
    // Fluctuations are AR(1) processes with an integral time scale of 0.8 s, unit variance.
    const double keep = std::exp(-1.0 / (0.8 * rate));
    const double renew = std::sqrt(1.0 - keep * keep);
    double a = random.normal();  // shared by w, the along-wind part and Ts: gives the covariances
    double b = random.normal();
    double c = random.normal();
    double d = random.normal();
    long long record = 0;

    for (std::size_t day = 0; day < dates.size(); ++day) {
        const CivilDate date = dates[day];
        const std::string dayName = sortableDateText(date);
        const fs::path dayDirectory = windDirectory / dayName;
        makeDirectories(dayDirectory);
        BlockWriter out(dayDirectory / (field.loggerFilePrefix + dayName + field.loggerFileSuffix));
        out.write("Synthetic sonic anemometer record," + std::string(field.name) + " field,seed " +
                  std::to_string(options.seed) + "," + std::to_string(rate) + " Hz\n");
        out.write("Timestamp,Record,u,v,w,Ts,Flag\n");
        out.write("yyyy-mm-dd hh:mm:ss.s,count,m/s,m/s,m/s,degC,code\n");
        out.write("sample,sample,sample,sample,sample,sample,sample\n");

        // "YYYY-MM-DD with the opening quote, written once per day.
        char datePrefix[48];
        char* p = datePrefix;
        *p++ = '"';
        p = appendInteger(p, date.year);
        *p++ = '-';
        p = appendTwoDigits(p, date.month);
        *p++ = '-';
        p = appendTwoDigits(p, date.day);
        *p++ = ' ';
        const std::size_t datePrefixLength = static_cast<std::size_t>(p - datePrefix);

        for (int minute = 0; minute < kMinutesPerDay; ++minute) {
            const std::size_t g = day * kMinutesPerDay + static_cast<std::size_t>(minute);
            const auto& from = wind[g].draw;
            const auto& to = wind[g + 1].draw;
            std::array<double, kSonicParameterCount> slope{};
            for (std::size_t k = 0; k < kSonicParameterCount; ++k) slope[k] = to[k] - from[k];
            char clock[6];
            appendTwoDigits(appendTwoDigits(clock, minute / 60) + 1, minute % 60);
            clock[2] = ':';
            clock[5] = ':';

            for (int s = 0; s < samplesPerMinute; ++s) {
                const double f = s * minuteFraction;
                std::array<double, kSonicParameterCount> q{};
                for (std::size_t k = 0; k < kSonicParameterCount; ++k) q[k] = from[k] + f * slope[k];
                a = keep * a + renew * random.normal();
                b = keep * b + renew * random.normal();
                c = keep * c + renew * random.normal();
                d = keep * d + renew * random.normal();
                const double along = q[kAlongFromA] * a + q[kAlongFromB] * b;
                const double cross = q[kCrossSigma] * c;
                const double u = q[kMeanU] + along * q[kAlongX] + cross * q[kCrossX];
                const double v = q[kMeanV] + along * q[kAlongY] + cross * q[kCrossY];
                const double w = q[kMeanW] + q[kWFromAlong] * along + q[kWSigma] * a;
                // The programs drop samples with Ts outside (10, 40): keep every one inside.
                const double ts = std::clamp(q[kMeanTs] + q[kTsFromA] * a + q[kTsFromD] * d, 10.01, 39.99);

                char* line = out.reserve();
                std::memcpy(line, datePrefix, datePrefixLength);
                line += datePrefixLength;
                std::memcpy(line, clock, 6);
                line += 6;
                const int tenths = s * 10 / rate;  // one decimal of the second, as the logger writes
                line = appendTwoDigits(line, tenths / 10);
                *line++ = '.';
                *line++ = static_cast<char>('0' + tenths % 10);
                *line++ = '"';
                *line++ = ',';
                line = appendInteger(line, record++);
                *line++ = ',';
                line = appendFixed(line, u, 3);
                *line++ = ',';
                line = appendFixed(line, v, 3);
                *line++ = ',';
                line = appendFixed(line, w, 3);
                *line++ = ',';
                line = appendFixed(line, ts, 2);
                *line++ = ',';
                *line++ = '0';
                *line++ = '\n';
                out.commit(line);
            }
        }
        tally.sonicLines += static_cast<std::uint64_t>(kMinutesPerDay) * static_cast<std::uint64_t>(samplesPerMinute);
        tally.addFile(out.close());
    }
}

// ---------------------------------------------------------------------------------------------
// Weather-station files

/// Writes one tab-separated station file per day, a record every 10 minutes.
void writeStationFiles(const Options& options, const std::vector<CivilDate>& dates,
                       const std::vector<WeatherMinute>& weather, OutputTally& tally) {
    const fs::path directory = localPathOf(options.root, kStationDirectory);
    makeDirectories(directory);
    double rainCarry = 0.0;  // the gauge reports whole hundredths of an inch; the rest waits
    for (std::size_t day = 0; day < dates.size(); ++day) {
        const CivilDate date = dates[day];
        BlockWriter out(directory / ("weather_" + sortableDateText(date) + ".txt"));
        out.write("Date\tTime\tAirTemp\tAirTempMax\tAirTempMin\tRelHum\tDewPoint\tWindSpeed\tWindDir\tGustSpeed\t"
                  "GustDir\tPressure\tSoilTemp\tSoilMoisture\tLeafWetness\tVaporPressure\tRainRate\tRain\tUVIndex\t"
                  "SolarRad\tSolarEnergy\tETo\n");
        out.write("M/D/YYYY\th:mm a/p\tdegC\tdegC\tdegC\t%\tdegC\tm/s\tdeg\tm/s\tdeg\thPa\tdegC\t%\tindex\tkPa\tin/h\t"
                  "in\tindex\tW/m2\tMJ/m2\tmm\n");
        const std::string dateText = slashDateText(date);
        for (int minute = 0; minute < kMinutesPerDay; minute += 10) {
            // A record summarises the minutes up to its time stamp.
            const std::size_t g = day * kMinutesPerDay + static_cast<std::size_t>(minute);
            const std::size_t first = g >= 9 ? g - 9 : 0;
            double temp = 0, tempMax = -100, tempMin = 100, dew = 0, speed = 0, gust = 0, east = 0, north = 0;
            double solar = 0, rain = 0;
            for (std::size_t k = first; k <= g; ++k) {
                const WeatherMinute& w = weather[k];
                temp += w.airTemp;
                tempMax = std::max(tempMax, w.airTemp);
                tempMin = std::min(tempMin, w.airTemp);
                dew += w.dewPoint;
                speed += w.windSpeed;
                gust = std::max(gust, w.windSpeed);
                east += std::sin(w.windFrom * kPi / 180.0);
                north += std::cos(w.windFrom * kPi / 180.0);
                solar += w.solar;
                rain += w.rain;
            }
            const double n = static_cast<double>(g - first + 1);
            temp /= n;
            dew /= n;
            speed = 0.85 * speed / n;  // the station mast is lower than the sonic
            solar /= n;
            rainCarry += rain;
            const double gauge = std::floor(rainCarry * 100.0 + 1e-9) / 100.0;
            rainCarry -= gauge;
            const double humidity =
                std::min(100.0, 100.0 * saturationVapourPressure(dew) / saturationVapourPressure(temp));
            const double direction = std::fmod(std::atan2(east, north) * 180.0 / kPi + 360.0, 360.0);
            const WeatherMinute& now = weather[g];
            const double hour = minute / 60.0;
            const double soilTemp = temp - 1.0 + 2.0 * std::cos(2.0 * kPi * (hour - 18.0) / 24.0) - 0.3 * (temp - 23.0);
            const int leafWetness =
                humidity > 95.0 || gauge > 0 ? std::clamp(8 + static_cast<int>(humidity - 95.0), 8, 15) : 0;

            const std::string fields[] = {
                dateText,
                twelveHourText(minute),
                fixedText(temp, 1),
                fixedText(tempMax, 1),
                fixedText(tempMin, 1),
                fixedText(humidity, 0),
                fixedText(dew, 1),
                fixedText(speed, 1),
                fixedText(direction, 0),
                fixedText(1.6 * 0.85 * gust, 1),
                fixedText(direction, 0),
                fixedText(now.pressure, 1),
                fixedText(soilTemp, 1),
                fixedText(now.soilMoisture, 1),
                std::to_string(leafWetness),
                fixedText(saturationVapourPressure(dew) / 10.0, 2),
                fixedText(gauge * 6.0, 2),
                fixedText(gauge, 2),
                fixedText(solar / 90.0, 1),
                fixedText(solar, 0),
                fixedText(solar * 600.0 / 1e6, 3),
                fixedText(solar * 600.0 / 2.45e6 * 0.6, 3),
            };
            std::string line;
            for (const std::string& field : fields) {
                if (!line.empty()) line += '\t';
                line += field;
            }
            line += '\n';
            out.write(line);
        }
        tally.addFile(out.close());
    }
}

// ---------------------------------------------------------------------------------------------
// Measurement-result files

struct SamplingCase {
    int day;          // index into the run's dates
    int beginMinute;  // first minute of the window
    int endMinute;    // the window ends before this minute
};

/// Sampling periods of one file: K per day, each 30 to 120 whole minutes inside its own slot of
/// the day, so that they come in time order, lie apart by 10 minutes or more and keep 10 minutes
/// from midnight (a window never crosses a day's files, and station records stamped before its
/// begin stay on its day).
std::vector<SamplingCase> scheduleCases(int days, int casesPerDay, RandomStream& random) {
    constexpr int kFirst = 10;
    constexpr int kLast = 1430;
    constexpr int kGap = 10;
    const int slot = (kLast - kFirst) / casesPerDay;  // at least 40 minutes for at most 35 cases
    std::vector<SamplingCase> cases;
    for (int day = 0; day < days; ++day) {
        for (int k = 0; k < casesPerDay; ++k) {
            const int slotBegin = kFirst + k * slot;
            const int length = random.uniformInt(30, std::min(120, slot - kGap));
            const int begin = slotBegin + random.uniformInt(0, slot - kGap - length);
            cases.push_back({day, begin, begin + length});
        }
    }
    return cases;
}

/// The intended wind of a case window, averaged from the field's minutes.
struct CaseWind {
    double windFrom;        // degrees, as the programs compute the direction
    double speed;           // m/s
    double obukhovLength;   // m
};

/// Averages the field's wind over the window of `sampling`.
CaseWind caseWindOf(const std::vector<FieldMinute>& wind, const SamplingCase& sampling) {
    double u = 0, v = 0, uStar = 0, heatFlux = 0, temp = 0;
    for (int minute = sampling.beginMinute; minute < sampling.endMinute; ++minute) {
        const FieldMinute& m = wind[static_cast<std::size_t>(sampling.day * kMinutesPerDay + minute)];
        u += m.draw[kMeanU];
        v += m.draw[kMeanV];
        uStar += m.uStar;
        heatFlux += m.heatFlux;
        temp += m.sonicTemp;
    }
    const double n = sampling.endMinute - sampling.beginMinute;
    u /= n;
    v /= n;
    uStar /= n;
    heatFlux /= n;
    temp /= n;
    CaseWind result{};
    result.windFrom = std::atan2(u, v) * 180.0 / kPi + 180.0;
    result.speed = std::hypot(u, v);
    const double flux = std::abs(heatFlux) < 1e-6 ? (heatFlux < 0 ? -1e-6 : 1e-6) : heatFlux;
    result.obukhovLength = -(uStar * uStar * uStar * (temp + 273.15)) / (kKarmanTimesGravity * flux);
    return result;
}

/// The readings of every sampler of one case, in block order; a missing reading is -1.
std::vector<double> caseReadings(const ExperimentField& field, const Material& material, const CaseWind& wind,
                                 RandomStream& random) {
    // Plume from the source point: concentration falls off with height over a depth that grows in
    // unstable air, and along the ground within `reach`, mostly towards the bearing that equals the
    // wind direction (the bearing the programs' ring interpolation takes as the plume's path).
    const double stability = std::clamp(3.0 / wind.obukhovLength, -2.0, 2.0);
    const double depth = material.plumeDepth * std::clamp(1.0 - 0.35 * stability, 0.7, 1.8);
    const double nearGround =
        material.medianConcentration * std::exp(0.5 * random.normal()) * std::sqrt(2.5 / wind.speed);
    const double sourceDeposition = material.settlingVelocity * nearGround * std::exp(0.15 * random.normal());

    std::vector<double> readings(static_cast<std::size_t>(field.samplerCount));
    for (int i = 0; i < field.samplerCount; ++i) {
        const Sampler& sampler = field.samplers[i];
        const double distance = std::hypot(sampler.x, sampler.y);
        double spread = 1.0;
        if (distance > 0) {
            // Bearing of a sampler as the programs' rings have it: (-3, 0) is 0, (0, 3) is 90.
            const double bearing = std::atan2(sampler.y, -sampler.x) * 180.0 / kPi;
            const double alignment = std::max(0.0, std::cos((bearing - wind.windFrom) * kPi / 180.0));
            spread = std::exp(-distance / material.reach) * (0.06 + 0.94 * alignment * alignment);
        }
        if (sampler.deposition) {
            double value = sourceDeposition;
            if (distance > 0) {
                // Noise must not lift a ring sampler above the source point.
                value = std::min(0.95 * sourceDeposition, sourceDeposition * spread * std::exp(0.15 * random.normal()));
            }
            readings[static_cast<std::size_t>(i)] = value;
        } else {
            const double localDepth = depth + 0.1 * distance;  // the plume thickens downwind
            readings[static_cast<std::size_t>(i)] =
                nearGround * spread * std::exp(-(sampler.z - 0.5) / localDepth) * std::exp(0.1 * random.normal());
        }
    }
    // On each mast (consecutive concentration samplers at one place, top first) keep the
    // concentration falling with height despite the noise.
    for (int i = field.samplerCount - 2; i >= 0; --i) {
        const Sampler& upper = field.samplers[i];
        const Sampler& lower = field.samplers[i + 1];
        if (!upper.deposition && !lower.deposition && upper.x == lower.x && upper.y == lower.y) {
            double& value = readings[static_cast<std::size_t>(i)];
            value = std::min(value, 0.97 * readings[static_cast<std::size_t>(i + 1)]);
        }
    }
    for (double& value : readings) {
        if (random.chance(0.025)) value = -1.0;  // a lost or damaged sampler
    }
    return readings;
}

/// Writes one measurement-result file; returns the number of cases.
int writeMeasurementFile(const Options& options, const std::vector<CivilDate>& dates, const ExperimentField& field,
                         const Material& material, const std::vector<FieldMinute>& wind, OutputTally& tally) {
    RandomStream random(options.seed, kMeasurementStream + 2 * static_cast<std::uint64_t>(field.number) +
                                          static_cast<std::uint64_t>(material.number));
    const fs::path path = localPathOf(options.root, field.measurementPath[static_cast<std::size_t>(material.number)]);
    makeDirectories(path.parent_path());
    BlockWriter out(path);
    out.write("Day,BeginMinute,EndMinute,Date,BeginTime,EndTime,Sampler,Deposition,Concentration\n");
    out.write("day index,minute of day,minute of day,M/D/YYYY,HHMM,HHMM,id,grains/m2/s,grains/m3\n");
    const std::vector<SamplingCase> cases = scheduleCases(options.days, options.casesPerDay, random);
    for (const SamplingCase& sampling : cases) {
        const CivilDate date = dates[static_cast<std::size_t>(sampling.day)];
        const std::vector<double> readings = caseReadings(field, material, caseWindOf(wind, sampling), random);
        std::string block;
        for (int i = 0; i < field.samplerCount; ++i) {
            const Sampler& sampler = field.samplers[i];
            // The case fields stand on the block's first line only; the others leave them empty.
            if (i == 0) {
                block += std::to_string(experimentDayIndex(date)) + "," + std::to_string(sampling.beginMinute) + "," +
                         std::to_string(sampling.endMinute) + "," + slashDateText(date) + "," +
                         clockText(sampling.beginMinute) + "," + clockText(sampling.endMinute) + ",";
            } else {
                block += ",,,,,,";
            }
            const double value = readings[static_cast<std::size_t>(i)];
            const std::string reading = value < 0 ? std::string("-1") : fixedText(value, material.decimals);
            block += sampler.id;
            block += sampler.deposition ? "," + reading + ",\n" : ",," + reading + "\n";
        }
        out.write(block);
    }
    tally.addFile(out.close());
    return static_cast<int>(cases.size());
}

/// Writes the whole tree; returns the tally.
OutputTally generateFieldData(const Options& options) {
    makeDirectories(options.root);
    const std::vector<CivilDate> dates = runDates(options);
    const std::vector<WeatherMinute> weather = buildWeather(dates, options.seed);
    OutputTally tally;
    writeStationFiles(options, dates, weather, tally);
    for (const ExperimentField& field : kFields) {
        const std::vector<FieldMinute> wind = buildFieldWind(weather, field, options.seed);
        for (const Material& material : kMaterials) {
            tally.cases += writeMeasurementFile(options, dates, field, material, wind, tally);
        }
        writeLoggerFiles(options, dates, field, wind, tally);
    }
    return tally;
}

}  // namespace

/// Parses the options, writes the tree and prints a summary; 0 on success, 1 on a write failure,
/// 2 on bad options.
int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "generate_field_data: %s\n%.*s", error.c_str(), static_cast<int>(kUsage.size()),
                     kUsage.data());
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    OutputTally tally;
    try {
        tally = generateFieldData(options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "generate_field_data: %s\n", failure.what());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double megabytes = static_cast<double>(tally.bytes) / 1e6;
    std::printf("generate_field_data: %d days from %s at %d Hz, seed %llu, under %s\n", options.days,
                sortableDateText(options.firstDay).c_str(), options.rateHz,
                static_cast<unsigned long long>(options.seed), options.root.string().c_str());
    std::printf("  %d files, %.1f MB, %llu sonic lines, %d cases (%d per measurement-result file), %.2f s, %.0f MB/s\n",
                tally.files, megabytes, static_cast<unsigned long long>(tally.sonicLines), tally.cases,
                tally.cases / static_cast<int>(kFields.size() * kMaterials.size()), seconds,
                seconds > 0 ? megabytes / seconds : 0.0);
    return 0;
}
