#include "display/Color.h"

#include <cmath>
#include <iterator>
#include <typeinfo>

#include "APICanvasProperties.h"
#include "base/Exception.h"
#include "base/Rounding.h"

namespace Stimora {

namespace {

using Setter = void (*)(Color&, double, double, double, double);
using Getter = void (*)(const Color&, double&, double&, double&, double&);

// The framework's rounding (ties to even), clamped to the table so that out-of-range
// components cannot index outside it.
int tableIndex(double x) {
    const int last = Color::tableSize - 1;
    const int i = roundToInt(x * last);
    return i < 0 ? 0 : (i > last ? last : i);
}

// A negative component goes straight to the check: a fractional power of it is NaN, which
// would pass the check unnoticed. 0 raised to any positive power is 0 anyway.
double gammaEncode(double x, double inverse) {
    return Color::check(x < 0.0 ? x : std::pow(x, inverse));
}

void identitySet(Color& c, double r, double g, double b, double a) {
    c.r = Color::check(r);
    c.g = Color::check(g);
    c.b = Color::check(b);
    c.a = Color::check(a);
}

void identityGet(const Color& c, double& r, double& g, double& b, double& a) {
    r = c.r;
    g = c.g;
    b = c.b;
    a = c.a;
}

void gammaSet(Color& c, double r, double g, double b, double a) {
    c.r = gammaEncode(r, Color::inverseGamma[0]);
    c.g = gammaEncode(g, Color::inverseGamma[1]);
    c.b = gammaEncode(b, Color::inverseGamma[2]);
    c.a = Color::check(a);
}

void gammaGet(const Color& c, double& r, double& g, double& b, double& a) {
    r = std::pow(c.r, Color::gamma[0]);
    g = std::pow(c.g, Color::gamma[1]);
    b = std::pow(c.b, Color::gamma[2]);
    a = c.a;
}

void tableSet(Color& c, double r, double g, double b, double a) {
    c.r = Color::gammaTable[0][tableIndex(r)];
    c.g = Color::gammaTable[1][tableIndex(g)];
    c.b = Color::gammaTable[2][tableIndex(b)];
    c.a = Color::check(a);
}

// The level whose table entry equals the stored value (the first such entry). A stored value
// that is no table entry (a colour set before the tables were loaded) gets the level of the
// nearest entry.
double tableLevel(const std::multimap<double, double>& map, double stored) {
    if (map.empty())
        return stored;
    auto it = map.lower_bound(stored);
    if (it != map.end() && it->first == stored)
        return it->second;
    if (it == map.end())
        return std::prev(it)->second;
    if (it == map.begin())
        return it->second;
    auto below = map.lower_bound(std::prev(it)->first);
    return stored - below->first <= it->first - stored ? below->second : it->second;
}

void tableGet(const Color& c, double& r, double& g, double& b, double& a) {
    r = tableLevel(Color::inverseMap[0], c.r);
    g = tableLevel(Color::inverseMap[1], c.g);
    b = tableLevel(Color::inverseMap[2], c.b);
    a = c.a;
}

// Bits++: one 16-bit luminance from the red argument, high byte in red, low byte in green.
void bitsSet(Color& c, double r, double, double, double a) {
    if (a != 1.0)
        throw new Exception("Color.set : alpha value is disabled for Bits++.");
    const auto v = static_cast<uint16_t>(std::trunc(gammaEncode(r, Color::inverseGamma[0]) * 65535.0));
    c.r = (v >> 8) / 255.0;
    c.g = (v & 0xFF) / 255.0;
    c.b = 0.0;
    c.a = 1.0;
}

void bitsGet(const Color& c, double& r, double& g, double& b, double& a) {
    const double level = (std::trunc(c.r * 255.0) * 256.0 + std::trunc(c.g * 255.0)) / 65535.0;
    r = g = b = std::pow(level, Color::gamma[0]);
    a = 1.0;
}

Setter setter = identitySet;
Getter getter = identityGet;

void install(Setter s, Getter g) {
    setter = s;
    getter = g;
}

// The platform's ramps follow strict matching: an out-of-range entry becomes 0 there too.
[[maybe_unused]] const bool strictRampsInstalled = (
    APICanvasProperties::strictRamps = [] { return Color::strictMatch; }, true);

Color::HardwareGamma hardwareGamma;

// Loads a ramp into the display through the canvas layer's loader. False where there is none
// (no canvas) or the platform refuses the ramp; the caller then calibrates in software.
template <class Load> bool loadHardware(Load load) {
    try {
        return load();
    } catch (const Exception&) {
        return false;
    } catch (Exception* e) {
        delete e;
        return false;
    }
}

bool loadHardwareGamma(double r, double g, double b) {
    return loadHardware([&] { return hardwareGamma.values != nullptr && hardwareGamma.values(r, g, b); });
}

bool loadHardwareTables(const std::vector<double>& red, const std::vector<double>& green,
                        const std::vector<double>& blue) {
    return loadHardware(
        [&] { return hardwareGamma.tables != nullptr && hardwareGamma.tables(red, green, blue); });
}

void failHardware() {
    throw Exception(typeid(Color), "API ERROR",
                    "Failed to set color calibration table for the video renderer.");
}

void applyGammaValue(double r, double g, double b) {
    Color::gamma[0] = r;
    Color::gamma[1] = g;
    Color::gamma[2] = b;
    if (!Color::preferSoftware) {
        if (loadHardwareGamma(r, g, b)) {
            install(identitySet, identityGet);
            Color::calibrationMode = Color::gammaValueHardware;
            return;
        }
        // Only a hardware attempt that failed is an error; chosen software calibration is not.
        if (Color::strictMatch)
            failHardware();
    }
    install(gammaSet, gammaGet);
    for (int i = 0; i < 3; ++i)
        Color::inverseGamma[i] = 1.0 / Color::gamma[i];
    Color::gray.set(0.5, 0.5, 0.5, 1.0);
    Color::calibrationMode = Color::gammaValueSoftware;
}

std::vector<double> resample(const std::vector<double>& list) {
    std::vector<double> entries(256);
    const std::size_t n = list.size();
    if (n >= 256) {
        for (std::size_t i = 0; i < 256; ++i)
            entries[i] = Color::check(list[i]);
        return entries;
    }
    for (std::size_t i = 0; i < 256; ++i) {
        const double p = static_cast<double>(n - 1) * static_cast<double>(i) / 255.0;
        const auto k = static_cast<std::size_t>(p);
        const double f = p - static_cast<double>(k);
        entries[i] =
            k == n - 1 ? Color::check(list[n - 1]) : Color::check((1.0 - f) * list[k] + f * list[k + 1]);
    }
    return entries;
}

void applyTables(const std::vector<double>& red, const std::vector<double>& green,
                 const std::vector<double>& blue) {
    if (Color::strictMatch && (red.size() != green.size() || red.size() != blue.size()))
        throw Exception(
            typeid(Color), "API ERROR",
            "Failed to set color calibration table because table sizes were unmatched between R/G/B "
            "tables.");
    if (red.empty() || green.empty() || blue.empty())
        throw Exception(typeid(Color), "ARGUMENT ERROR",
                        "Color::setGammaTable: a gamma table needs at least one entry.");
    // Resample all three before storing any, so that a failed check leaves the old tables.
    std::vector<double> tables[3] = {resample(red), resample(green), resample(blue)};
    Color::tableSize = 256;
    for (int ch = 0; ch < 3; ++ch) {
        Color::gammaTable[ch] = std::move(tables[ch]);
        // Rebuilt from scratch: entries of earlier tables would answer with stale levels.
        Color::inverseMap[ch].clear();
        for (int i = 0; i < 256; ++i)
            Color::inverseMap[ch].emplace(Color::gammaTable[ch][i], i / 255.0);
    }
    if (!Color::preferSoftware) {
        if (loadHardwareTables(Color::gammaTable[0], Color::gammaTable[1], Color::gammaTable[2])) {
            install(identitySet, identityGet);
            Color::calibrationMode = Color::gammaTableHardware;
            return;
        }
        if (Color::strictMatch)
            failHardware();
    }
    install(tableSet, tableGet);
    Color::calibrationMode = Color::gammaTableSoftware;
}

} // namespace

int32_t Color::calibrationMode = Color::noCalibration;
double Color::gamma[3] = {1.0, 1.0, 1.0};
double Color::inverseGamma[3] = {1.0, 1.0, 1.0};
bool Color::preferSoftware = false;
bool Color::strictMatch = false;
std::vector<double> Color::gammaTable[3];
int32_t Color::tableSize = 256;
std::multimap<double, double> Color::inverseMap[3];

// Built from literals (constant initialisation), so figures in other files may use them
// during their own static initialisation.
Color Color::white(Color::raw, 1.0, 1.0, 1.0, 1.0);
Color Color::black(Color::raw, 0.0, 0.0, 0.0, 1.0);
Color Color::gray(Color::raw, 0.5, 0.5, 0.5, 1.0);
Color Color::red(Color::raw, 1.0, 0.0, 0.0, 1.0);
Color Color::green(Color::raw, 0.0, 1.0, 0.0, 1.0);
Color Color::blue(Color::raw, 0.0, 0.0, 1.0, 1.0);
Color Color::cyan(Color::raw, 0.0, 1.0, 1.0, 1.0);
Color Color::magenta(Color::raw, 1.0, 0.0, 1.0, 1.0);
Color Color::yellow(Color::raw, 1.0, 1.0, 0.0, 1.0);
const Color Color::null(Color::raw, 0.0, 0.0, 0.0, 0.0);

double Color::under() {
    if (strictMatch)
        throw new Exception("Color.set : STRICT MATCH FAILED : Argument was under 0.0 .");
    return 0.0;
}

double Color::over() {
    if (strictMatch)
        throw new Exception("Color.set : STRICT MATCH FAILED : Argument was over 1.0 .");
    return 1.0;
}

Color::Color() : r(0.0), g(0.0), b(0.0), a(1.0) {
    set(0.0, 0.0, 0.0, 1.0);
}

Color::Color(double r_, double g_, double b_, double a_) : r(0.0), g(0.0), b(0.0), a(1.0) {
    set(r_, g_, b_, a_);
}

Color::Color(double gray_) : r(0.0), g(0.0), b(0.0), a(1.0) {
    set(gray_, gray_, gray_, 1.0);
}

Color& Color::set(double r_, double g_, double b_, double a_) {
    setter(*this, r_, g_, b_, a_);
    return *this;
}

Color& Color::set(double gray_) {
    return set(gray_, gray_, gray_, 1.0);
}

Color& Color::setRaw(double r_, double g_, double b_, double a_) {
    r = check(r_);
    g = check(g_);
    b = check(b_);
    a = check(a_);
    return *this;
}

double Color::getR() const {
    double rr, gg, bb, aa;
    getter(*this, rr, gg, bb, aa);
    return rr;
}

double Color::getG() const {
    double rr, gg, bb, aa;
    getter(*this, rr, gg, bb, aa);
    return gg;
}

double Color::getB() const {
    double rr, gg, bb, aa;
    getter(*this, rr, gg, bb, aa);
    return bb;
}

void Color::get(double& r_, double& g_, double& b_, double& a_) const {
    getter(*this, r_, g_, b_, a_);
}

Color& Color::operator+=(const Color& o) {
    r += check(o.r);
    g += check(o.g);
    b += check(o.b);
    a += check(o.a);
    return *this;
}

Color& Color::operator-=(const Color& o) {
    r -= check(o.r);
    g -= check(o.g);
    b -= check(o.b);
    a -= check(o.a);
    return *this;
}

Color Color::operator+(const Color& o) const {
    Color sum(*this);
    return sum += o;
}

Color Color::operator-(const Color& o) const {
    Color difference(*this);
    return difference -= o;
}

void Color::setGammaValue(double r, double g, double b, int32_t mode) {
    if (mode != gammaValueHardware && mode != gammaValueSoftware && mode != bitsPlusPlus)
        throw Exception(
            "Color::setGammaValue: Specified color calibration mode and value type are mismatched.");
    preferSoftware = mode != gammaValueHardware;
    applyGammaValue(r, g, b);
    if (mode == bitsPlusPlus) {
        install(bitsSet, bitsGet);
        calibrationMode = bitsPlusPlus;
    }
}

void Color::setGammaTable(const std::vector<double>& red, const std::vector<double>& green,
                          const std::vector<double>& blue) {
    applyTables(red, green, blue);
}

void Color::setGammaTable(const double* red, const double* green, const double* blue, int count) {
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    applyTables(std::vector<double>(red, red + n), std::vector<double>(green, green + n),
                std::vector<double>(blue, blue + n));
}

void Color::setSoftwareCalibration(bool on) {
    preferSoftware = on;
    if (on) {
        if (calibrationMode == gammaValueHardware) {
            // A move, not an application of gamma values: gray keeps its stored value.
            for (int i = 0; i < 3; ++i)
                inverseGamma[i] = 1.0 / gamma[i];
            install(gammaSet, gammaGet);
            calibrationMode = gammaValueSoftware;
        } else if (calibrationMode == gammaTableHardware) {
            install(tableSet, tableGet);
            calibrationMode = gammaTableSoftware;
        }
    } else {
        if (calibrationMode == gammaValueSoftware) {
            applyGammaValue(gamma[0], gamma[1], gamma[2]);
        } else if (calibrationMode == gammaTableSoftware) {
            // Copies: the tables are replaced while they are read.
            const std::vector<double> red = gammaTable[0], green = gammaTable[1], blue = gammaTable[2];
            applyTables(red, green, blue);
        }
    }
}

void Color::resetCalibration() {
    install(identitySet, identityGet);
    calibrationMode = noCalibration;
    for (int i = 0; i < 3; ++i) {
        gamma[i] = 1.0;
        inverseGamma[i] = 1.0;
        gammaTable[i].clear();
        inverseMap[i].clear();
    }
    tableSize = 256;
    preferSoftware = false;
    gray = Color(raw, 0.5, 0.5, 0.5, 1.0);
    photometry = Photometry();
}

bool Color::softwareCalibration() {
    return calibrationMode == gammaValueSoftware || calibrationMode == gammaTableSoftware;
}

void Color::installHardwareGamma(const HardwareGamma& loader) {
    hardwareGamma = loader;
}

} // namespace Stimora
