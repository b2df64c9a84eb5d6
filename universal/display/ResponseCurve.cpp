#include "display/ResponseCurve.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "base/Exception.h"

namespace Stimora {

namespace {

void refuse(const char* message) {
    throw Exception(typeid(ResponseCurve), "ARGUMENT ERROR", message);
}

// Pool adjacent violators: the closest non-decreasing sequence in least squares.
std::vector<double> nonDecreasing(const std::vector<double>& y) {
    std::vector<double> level, weight;
    for (double v : y) {
        level.push_back(v);
        weight.push_back(1.0);
        while (level.size() > 1 && level[level.size() - 2] > level.back()) {
            const double w = weight[weight.size() - 2] + weight.back();
            const double l =
                (level[level.size() - 2] * weight[weight.size() - 2] + level.back() * weight.back()) / w;
            level.pop_back();
            weight.pop_back();
            level.back() = l;
            weight.back() = w;
        }
    }
    std::vector<double> out;
    for (std::size_t i = 0; i < level.size(); ++i)
        out.insert(out.end(), static_cast<std::size_t>(weight[i]), level[i]);
    return out;
}

} // namespace

ResponseCurve ResponseCurve::power(const Power& p) {
    if (!(p.scale > 0.0) || !(p.gamma > 0.0) || !(p.offset >= 0.0) ||
        !std::isfinite(p.scale + p.gamma + p.offset))
        refuse("ResponseCurve: a power response needs scale and gamma above 0 and an offset of 0 or more.");
    ResponseCurve curve;
    curve.parameters = p;
    return curve;
}

ResponseCurve ResponseCurve::spline(const std::vector<double>& values,
                                    const std::vector<double>& luminances) {
    const std::size_t n = values.size();
    if (n < 2 || luminances.size() != n)
        refuse("ResponseCurve: a spline needs at least two points, each with a value and a luminance.");
    for (std::size_t i = 0; i < n; ++i)
        if (!std::isfinite(values[i]) || !std::isfinite(luminances[i]) ||
            (i > 0 && !(values[i] > values[i - 1])))
            refuse("ResponseCurve: the spline's values must be finite and increasing.");
    ResponseCurve curve;
    curve.isPower = false;
    curve.xs = values;
    curve.ys = nonDecreasing(luminances);
    // Fritsch-Carlson tangents: zero where the secants change sign or one is flat, else a
    // weighted harmonic mean of the two secants, which keeps each piece monotone.
    std::vector<double> h(n - 1), d(n - 1);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        h[k] = curve.xs[k + 1] - curve.xs[k];
        d[k] = (curve.ys[k + 1] - curve.ys[k]) / h[k];
    }
    curve.slopes.assign(n, 0.0);
    curve.slopes[0] = d[0];
    curve.slopes[n - 1] = d[n - 2];
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (d[k - 1] <= 0.0 || d[k] <= 0.0)
            continue;
        const double w1 = 2.0 * h[k] + h[k - 1], w2 = h[k] + 2.0 * h[k - 1];
        curve.slopes[k] = (w1 + w2) / (w1 / d[k - 1] + w2 / d[k]);
    }
    return curve;
}

double ResponseCurve::luminance(double v) const {
    v = std::min(1.0, std::max(0.0, v));
    if (isPower)
        return parameters.offset + std::pow(parameters.scale * v, parameters.gamma);
    if (v <= xs.front())
        return ys.front();
    if (v >= xs.back())
        return ys.back();
    const std::size_t k =
        static_cast<std::size_t>(std::upper_bound(xs.begin(), xs.end(), v) - xs.begin()) - 1;
    const double h = xs[k + 1] - xs[k], t = (v - xs[k]) / h;
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * ys[k] + (t3 - 2 * t2 + t) * h * slopes[k] +
           (-2 * t3 + 3 * t2) * ys[k + 1] + (t3 - t2) * h * slopes[k + 1];
}

double ResponseCurve::value(double candelas) const {
    if (candelas <= black())
        return 0.0;
    if (candelas >= white())
        return 1.0;
    // Bisection: both models rise monotonically, and 60 halvings reach double precision.
    double low = 0.0, high = 1.0;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2.0;
        (luminance(middle) < candelas ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

std::vector<double> ResponseCurve::table(int entries) const {
    std::vector<double> values(static_cast<std::size_t>(std::max(entries, 2)));
    const double low = black(), high = white();
    const double last = static_cast<double>(values.size() - 1);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = value(low + (high - low) * static_cast<double>(i) / last);
    return values;
}

} // namespace Stimora
