// Color's photometric side: luminances in cd/m² under a measured calibration.
#include "display/Color.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "base/Exception.h"

namespace Stimora {

Color::Photometry Color::photometry;

namespace {

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

void requireCalibration(const char* operation) {
    if (!Color::photometry.calibrated)
        throw new Exception(std::string(operation) +
                            " : no luminance calibration is loaded (apply a monitor profile first).");
}

void requireChannels(const char* operation) {
    requireCalibration(operation);
    if (!Color::photometry.channels)
        throw new Exception(std::string(operation) +
                            " : the calibration holds grey only; red, green and blue were not measured.");
}

// Luminance per unit of requested intensity of channel c (all three for grey).
double span(int c) {
    const Color::Photometry& p = Color::photometry;
    if (!p.channels)
        return p.white - p.black;
    if (c >= 0)
        return p.primary[c] - p.black;
    return p.primary[0] + p.primary[1] + p.primary[2] - 3.0 * p.black;
}

// Requested intensity for a luminance above black along span, checked as Color checks.
double checkedLevel(double aboveBlack, double range, const char* operation) {
    const double x = range > 0.0 ? aboveBlack / range : 0.0;
    // The ends themselves, give or take rounding, are in range.
    if ((x < -1e-9 || x > 1.0 + 1e-9 || !std::isfinite(x)) && Color::strictMatch)
        throw new Exception(std::string(operation) + " : " + number(aboveBlack + Color::photometry.black) +
                            " cd/m2 is outside the calibrated range " + number(Color::photometry.black) +
                            " .. " + number(Color::photometry.black + range) + " cd/m2.");
    return std::isfinite(x) ? (x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x)) : 0.0;
}

} // namespace

double Color::level(double candelas) {
    requireCalibration("Color.luminance");
    return checkedLevel(candelas - photometry.black, span(-1), "Color.luminance");
}

Color Color::luminance(double candelas) {
    return Color(level(candelas));
}

Color Color::luminance(double red, double green, double blue) {
    requireChannels("Color.luminance");
    return Color(checkedLevel(red, span(0), "Color.luminance"),
                 checkedLevel(green, span(1), "Color.luminance"),
                 checkedLevel(blue, span(2), "Color.luminance"));
}

double Color::michelsonContrast(double meanCandelas, double contrast) {
    const double mean = level(meanCandelas);
    const double range = span(-1), black = photometry.black;
    const double shown = black + mean * range;
    // The extremes shown(1 ± c) must both lie in black..black + range.
    const double limit =
        shown > 0.0 ? std::fmin((black + range - shown) / shown, (shown - black) / shown) : 0.0;
    double c = std::fabs(contrast);
    if (c > limit + 1e-12) {
        if (strictMatch)
            throw new Exception("Color.michelsonContrast : a contrast of " + number(contrast) + " about " +
                                number(meanCandelas) + " cd/m2 leaves the calibrated range " + number(black) +
                                " .. " + number(black + range) + " cd/m2.");
        c = limit;
    }
    return mean > 0.0 ? c * shown / (mean * range) : 0.0;
}

double Color::michelson(const Color& light, const Color& dark) {
    const double a = light.getLuminance(), b = dark.getLuminance();
    return a + b > 0.0 ? (a - b) / (a + b) : 0.0;
}

double Color::getLuminance() const {
    requireCalibration("Color.getLuminance");
    double x[3], alpha;
    get(x[0], x[1], x[2], alpha);
    if (!photometry.channels) {
        if (std::fabs(x[0] - x[1]) > 1e-9 || std::fabs(x[0] - x[2]) > 1e-9)
            requireChannels("Color.getLuminance");
        return photometry.black + x[0] * span(-1);
    }
    return photometry.black + x[0] * span(0) + x[1] * span(1) + x[2] * span(2);
}

double Color::getLuminance(int channel) const {
    requireChannels("Color.getLuminance");
    if (channel < 0 || channel > 2)
        throw new Exception("Color.getLuminance : channel " + std::to_string(channel) +
                            " is none of 0 (red), 1 (green), 2 (blue).");
    double x[3], alpha;
    get(x[0], x[1], x[2], alpha);
    return x[channel] * span(channel);
}

} // namespace Stimora
