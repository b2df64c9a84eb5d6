#include "analysis/PsychometricFit.h"

#include "base/Exception.h"

#include <nlopt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <ostream>
#include <random>
#include <typeinfo>

namespace Stimora {
namespace Analysis {

namespace {

using Levels = std::vector<PsychometricData::Level>;
using Shape = PsychometricFit::Shape;

double normalCdf(double z) {
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

double normalDensity(double z) {
    return std::exp(-0.5 * z * z) / std::sqrt(2.0 * M_PI);
}

// Phi^-1 by bisection: plenty fast for one value per fit, and exact to the last bit.
double normalQuantile(double p) {
    double low = -40.0, high = 40.0;
    for (int i = 0; i < 200 && high - low > 1e-15; ++i) {
        const double middle = 0.5 * (low + high);
        (normalCdf(middle) < p ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// Where F reaches f, and F's derivative there.
double inverseSigmoid(Shape shape, double f, double alpha, double beta) {
    switch (shape) {
    case Shape::weibull:
        return alpha * std::pow(-std::log1p(-f), 1.0 / beta);
    case Shape::logistic:
        return alpha + std::log(f / (1.0 - f)) / beta;
    case Shape::gaussian:
        break;
    }
    return alpha + normalQuantile(f) / beta;
}

double sigmoidDerivative(Shape shape, double x, double alpha, double beta) {
    switch (shape) {
    case Shape::weibull: {
        if (x <= 0)
            return 0.0;
        const double power = std::pow(x / alpha, beta);
        return beta / x * power * std::exp(-power);
    }
    case Shape::logistic: {
        const double f = PsychometricFit::sigmoid(shape, x, alpha, beta);
        return beta * f * (1.0 - f);
    }
    case Shape::gaussian:
        break;
    }
    return beta * normalDensity(beta * (x - alpha));
}

// The search space: alpha (log for the Weibull), log beta and, when free, the lapse rate.
struct Space {
    Shape shape;
    double guess;
    bool freeLapse;
    double lapse;
    double lower[3];
    double upper[3];
    const Levels* levels;

    unsigned dimensions() const { return freeLapse ? 3u : 2u; }
    double alpha(const double* p) const { return shape == Shape::weibull ? std::exp(p[0]) : p[0]; }
    double beta(const double* p) const { return std::exp(p[1]); }
    double lapseOf(const double* p) const { return freeLapse ? p[2] : lapse; }
    double cost(const double* p) const {
        return -PsychometricFit::logLikelihood(*levels, shape, alpha(p), beta(p), guess, lapseOf(p));
    }
};

double objective(unsigned, const double* p, double*, void* data) {
    return static_cast<const Space*>(data)->cost(p);
}

Space searchSpace(const Levels& levels, const PsychometricFit::Options& options) {
    if (levels.size() < 2)
        throw Exception(typeid(PsychometricFit), "ARGUMENT ERROR",
                        "A psychometric fit needs at least two intensities; this condition has " +
                            std::to_string(levels.size()) + ".");
    if (!(options.guess >= 0 && options.guess < 1))
        throw Exception(typeid(PsychometricFit), "ARGUMENT ERROR", "The guess rate must lie in [0, 1).");
    const double lapseLimit = options.freeLapse ? options.maximumLapse : options.lapse;
    if (!(lapseLimit >= 0 && options.guess + lapseLimit < 1))
        throw Exception(typeid(PsychometricFit), "ARGUMENT ERROR",
                        "The lapse rate must be at least 0 and leave room above the guess rate.");
    double low = levels.front().intensity, high = levels.back().intensity;
    for (const auto& level : levels) {
        low = std::min(low, level.intensity);
        high = std::max(high, level.intensity);
    }
    Space space{
        options.shape, options.guess, options.freeLapse && options.maximumLapse > 0, options.lapse, {}, {},
        &levels};
    const double range = high - low;
    if (options.shape == Shape::weibull) {
        if (low <= 0)
            throw Exception(typeid(PsychometricFit), "ARGUMENT ERROR",
                            "A Weibull needs intensities above 0; fit a logistic or cumulative Gaussian "
                            "(for example on log intensities) instead.");
        space.lower[0] = std::log(low) - std::log(10.0);
        space.upper[0] = std::log(high) + std::log(10.0);
        space.lower[1] = std::log(0.2);
        space.upper[1] = std::log(50.0);
    } else {
        space.lower[0] = low - range;
        space.upper[0] = high + range;
        space.lower[1] = std::log(0.1 / range);
        space.upper[1] = std::log(500.0 / range);
    }
    space.lower[2] = 0.0;
    space.upper[2] = options.maximumLapse;
    return space;
}

PsychometricFit::Estimate optimise(const Space& space, const double* start, double thresholdAt) {
    std::unique_ptr<nlopt_opt_s, decltype(&nlopt_destroy)> opt(
        nlopt_create(NLOPT_LN_BOBYQA, space.dimensions()), &nlopt_destroy);
    if (!opt)
        throw Exception(typeid(PsychometricFit), "Memory Error", "NLopt could not create its optimiser.");
    nlopt_set_min_objective(opt.get(), objective, const_cast<Space*>(&space));
    nlopt_set_lower_bounds(opt.get(), space.lower);
    nlopt_set_upper_bounds(opt.get(), space.upper);
    nlopt_set_xtol_rel(opt.get(), 1e-12);
    nlopt_set_ftol_abs(opt.get(), 1e-13);
    nlopt_set_maxeval(opt.get(), 20000);
    double p[3] = {start[0], start[1], start[2]};
    for (unsigned d = 0; d < space.dimensions(); ++d)
        p[d] = std::min(space.upper[d], std::max(space.lower[d], p[d]));
    double minimum = 0;
    const nlopt_result code = nlopt_optimize(opt.get(), p, &minimum);

    PsychometricFit::Estimate e;
    e.alpha = space.alpha(p);
    e.beta = space.beta(p);
    e.lapse = space.lapseOf(p);
    e.logLikelihood = -space.cost(p);
    if (code < 0 && code != NLOPT_ROUNDOFF_LIMITED) {
        e.converged = false;
        e.message = std::string("NLopt failed: ") + nlopt_result_to_string(code);
    } else if (code == NLOPT_MAXEVAL_REACHED) {
        e.converged = false;
        e.message = "NLopt reached its evaluation limit";
    } else {
        const char* names[] = {"alpha", "beta"};
        for (int d = 0; d < 2; ++d) {
            const double margin = 1e-6 * (space.upper[d] - space.lower[d]);
            if (p[d] - space.lower[d] < margin || space.upper[d] - p[d] < margin) {
                e.converged = false;
                e.message = std::string(names[d]) + " at the edge of its search range";
            }
        }
    }
    const double f = (thresholdAt - space.guess) / (1.0 - space.guess - e.lapse);
    if (f > 0 && f < 1) {
        e.threshold = inverseSigmoid(space.shape, f, e.alpha, e.beta);
        e.slope =
            (1.0 - space.guess - e.lapse) * sigmoidDerivative(space.shape, e.threshold, e.alpha, e.beta);
    } else {
        e.threshold = e.slope = std::numeric_limits<double>::quiet_NaN();
    }
    // Deviance against the saturated model, with 0 log 0 = 0.
    double saturated = 0;
    for (const auto& level : *space.levels) {
        const double k = level.correct, n = level.trials;
        if (k > 0)
            saturated += k * std::log(k / n);
        if (n - k > 0)
            saturated += (n - k) * std::log((n - k) / n);
    }
    e.deviance = std::max(0.0, 2.0 * (saturated - e.logLikelihood));
    return e;
}

double thresholdProportion(const PsychometricFit::Options& options) {
    return std::isnan(options.thresholdAt) ? options.guess + 0.5 * (1.0 - options.guess)
                                           : options.thresholdAt;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const double position = p * static_cast<double>(values.size() - 1);
    const std::size_t below = static_cast<std::size_t>(position);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (position - static_cast<double>(below)) * (values[above] - values[below]);
}

// A progress bar on the given stream, shown only once the work has taken a second.
class ProgressBar {
public:
    ProgressBar(std::ostream* out, int total) : out_(out), total_(total) {}
    ~ProgressBar() {
        if (shown_)
            *out_ << '\n' << std::flush;
    }
    void update(int done) {
        if (out_ == nullptr)
            return;
        const auto now = std::chrono::steady_clock::now();
        const bool finalState = done == total_ && shown_;
        if (!finalState && (now - start_ < std::chrono::seconds(1) ||
                            (shown_ && now - last_ < std::chrono::milliseconds(100))))
            return;
        shown_ = true;
        last_ = now;
        const int width = 40, filled = width * done / total_;
        *out_ << "\rbootstrap [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << done << "/" << total_
              << std::flush;
    }

private:
    std::ostream* out_;
    int total_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_;
};

} // namespace

double PsychometricFit::sigmoid(Shape shape, double x, double alpha, double beta) {
    switch (shape) {
    case Shape::weibull:
        return x <= 0 ? 0.0 : -std::expm1(-std::pow(x / alpha, beta));
    case Shape::logistic:
        return 1.0 / (1.0 + std::exp(-beta * (x - alpha)));
    case Shape::gaussian:
        break;
    }
    return normalCdf(beta * (x - alpha));
}

double PsychometricFit::probability(Shape shape, double x, double alpha, double beta, double guess,
                                    double lapse) {
    return guess + (1.0 - guess - lapse) * sigmoid(shape, x, alpha, beta);
}

double PsychometricFit::logLikelihood(const Levels& levels, Shape shape, double alpha, double beta,
                                      double guess, double lapse) {
    const double tiny = 1e-300;
    double sum = 0;
    for (const auto& level : levels) {
        const double p = probability(shape, level.intensity, alpha, beta, guess, lapse);
        if (level.correct > 0)
            sum += level.correct * std::log(std::max(p, tiny));
        if (level.trials > level.correct)
            sum += (level.trials - level.correct) * std::log(std::max(1.0 - p, tiny));
    }
    return sum;
}

PsychometricFit::Estimate PsychometricFit::fit(const Levels& levels, const Options& options) {
    const Space space = searchSpace(levels, options);
    // A coarse grid finds the right basin; BOBYQA then refines inside it.
    const int steps = 30;
    double best[3] = {0, 0, space.freeLapse ? std::min(0.02, options.maximumLapse / 2) : options.lapse};
    double bestCost = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
            double p[3] = {space.lower[0] + (space.upper[0] - space.lower[0]) * i / steps,
                           space.lower[1] + (space.upper[1] - space.lower[1]) * j / steps, best[2]};
            const double cost = space.cost(p);
            if (cost < bestCost) {
                bestCost = cost;
                best[0] = p[0];
                best[1] = p[1];
            }
        }
    return optimise(space, best, thresholdProportion(options));
}

PsychometricFit::Result PsychometricFit::analyse(const Levels& levels, const Options& options) {
    Result result;
    result.estimate = fit(levels, options);
    result.thresholdAt = thresholdProportion(options);
    if (options.bootstrap <= 0)
        return result;

    const Estimate& e = result.estimate;
    const Space space = searchSpace(levels, options);
    // Each sample starts from the estimate: its optimum lies near it.
    const double start[3] = {options.shape == Shape::weibull ? std::log(e.alpha) : e.alpha, std::log(e.beta),
                             std::min(std::max(e.lapse, 0.001), 0.999 * options.maximumLapse)};
    std::mt19937_64 generator(options.seed);
    Levels sample = levels;
    Space sampleSpace = space;
    sampleSpace.levels = &sample;
    std::vector<double> thresholds, slopes;
    int atLeastAsLarge = 0, converged = 0;
    ProgressBar bar(options.progress, options.bootstrap);
    for (int b = 0; b < options.bootstrap; ++b) {
        for (auto& level : sample) {
            const double p =
                probability(options.shape, level.intensity, e.alpha, e.beta, options.guess, e.lapse);
            std::binomial_distribution<int> draw(level.trials, std::min(1.0, std::max(0.0, p)));
            level.correct = draw(generator);
        }
        const Estimate s = optimise(sampleSpace, start, result.thresholdAt);
        bar.update(b + 1);
        if (!s.converged) {
            ++result.bootstrapFailures;
            continue;
        }
        ++converged;
        if (s.deviance >= e.deviance)
            ++atLeastAsLarge;
        if (std::isfinite(s.threshold)) {
            thresholds.push_back(s.threshold);
            slopes.push_back(s.slope);
        }
    }
    result.bootstrapSamples = options.bootstrap;
    result.thresholdLow = percentile(thresholds, 0.025);
    result.thresholdHigh = percentile(thresholds, 0.975);
    result.slopeLow = percentile(slopes, 0.025);
    result.slopeHigh = percentile(slopes, 0.975);
    if (converged > 0)
        result.devianceP = static_cast<double>(atLeastAsLarge) / converged;
    return result;
}

std::string PsychometricFit::name(Shape shape) {
    switch (shape) {
    case Shape::weibull:
        return "weibull";
    case Shape::logistic:
        return "logistic";
    case Shape::gaussian:
        break;
    }
    return "gaussian";
}

} // namespace Analysis
} // namespace Stimora
