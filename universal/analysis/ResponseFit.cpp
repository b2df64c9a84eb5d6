#include "analysis/ResponseFit.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <nlopt.h>
#include <typeinfo>

#include "base/Exception.h"

namespace Stimora {
namespace Analysis {

namespace {

struct Points {
    const std::vector<double>& v;
    const std::vector<double>& l;
    double floor; // readings near 0 weigh as this, so that a reading of 0 does not divide by 0
};

// Parameters (a, k, gamma) with k = b^gamma: the same curve a + k v^gamma, better conditioned.
double relativeSquares(unsigned, const double* p, double*, void* data) {
    const Points& pts = *static_cast<const Points*>(data);
    double sum = 0.0;
    for (std::size_t i = 0; i < pts.v.size(); ++i) {
        const double predicted = p[0] + p[1] * std::pow(pts.v[i], p[2]);
        const double e = (pts.l[i] - predicted) / std::max(pts.l[i], pts.floor);
        sum += e * e;
    }
    return sum;
}

double percent(double measured, double predicted) {
    return measured != 0.0 ? 100.0 * (measured - predicted) / measured : 0.0;
}

} // namespace

ResponseCurve::Power ResponseFit::power(const std::vector<double>& values,
                                        const std::vector<double>& luminances) {
    if (values.size() < 3 || values.size() != luminances.size())
        throw Exception(
            typeid(ResponseFit), "ARGUMENT ERROR",
            "ResponseFit: a power fit needs at least three points, each with a value and a luminance.");
    const double top = *std::max_element(luminances.begin(), luminances.end());
    const double bottom = *std::min_element(luminances.begin(), luminances.end());
    if (!(top > bottom) || !(top > 0.0))
        throw Exception(
            typeid(ResponseFit), "ARGUMENT ERROR",
            "ResponseFit: the readings do not rise with the value; is the photometer on the screen?");
    Points pts{values, luminances, 1e-3 * top};
    std::unique_ptr<nlopt_opt_s, decltype(&nlopt_destroy)> opt(nlopt_create(NLOPT_LN_BOBYQA, 3),
                                                               &nlopt_destroy);
    const double lower[3] = {0.0, 1e-6 * top, 0.2}, upper[3] = {top, 10.0 * top, 8.0};
    nlopt_set_min_objective(opt.get(), relativeSquares, &pts);
    nlopt_set_lower_bounds(opt.get(), lower);
    nlopt_set_upper_bounds(opt.get(), upper);
    nlopt_set_xtol_rel(opt.get(), 1e-10);
    nlopt_set_maxeval(opt.get(), 20000);
    const double start0 = std::max(0.0, std::min(bottom, top * 0.5));
    double p[3] = {start0, std::max(top - start0, lower[1]), 2.2};
    double minimum = 0.0;
    const nlopt_result code = nlopt_optimize(opt.get(), p, &minimum);
    if (code < 0)
        throw Exception(typeid(ResponseFit), "FIT ERROR",
                        std::string("ResponseFit: NLopt failed: ") + nlopt_result_to_string(code));
    ResponseCurve::Power fit;
    fit.offset = p[0];
    fit.gamma = p[2];
    fit.scale = std::pow(p[1], 1.0 / p[2]);
    return fit;
}

std::vector<double> ResponseFit::residuals(const ResponseCurve& curve, const std::vector<double>& values,
                                           const std::vector<double>& luminances) {
    std::vector<double> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        out.push_back(percent(luminances[i], curve.luminance(values[i])));
    return out;
}

std::vector<double> ResponseFit::splineResiduals(const std::vector<double>& values,
                                                 const std::vector<double>& luminances) {
    std::vector<double> out(values.size(), 0.0);
    for (std::size_t i = 1; i + 1 < values.size(); ++i) {
        std::vector<double> v = values, l = luminances;
        v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
        l.erase(l.begin() + static_cast<std::ptrdiff_t>(i));
        out[i] = percent(luminances[i], ResponseCurve::spline(v, l).luminance(values[i]));
    }
    return out;
}

void ResponseFit::fit(MonitorProfile::Channel& channel) {
    channel.power = power(channel.values, channel.luminances);
    channel.powerResiduals =
        residuals(ResponseCurve::power(channel.power), channel.values, channel.luminances);
    channel.splineResiduals = splineResiduals(channel.values, channel.luminances);
}

double ResponseFit::rms(const std::vector<double>& residuals) {
    double sum = 0.0;
    for (double r : residuals)
        sum += r * r;
    return residuals.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(residuals.size()));
}

} // namespace Analysis
} // namespace Stimora
