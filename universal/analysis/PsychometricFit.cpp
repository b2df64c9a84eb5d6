#include "analysis/PsychometricFit.h"

#include "analysis/PsychometricLikelihood.h"
#include "base/Exception.h"

#include <nlopt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
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
    const PsychometricLikelihood* likelihood;

    unsigned dimensions() const { return freeLapse ? 3u : 2u; }
    double alpha(const double* p) const { return shape == Shape::weibull ? std::exp(p[0]) : p[0]; }
    double beta(const double* p) const { return std::exp(p[1]); }
    double lapseOf(const double* p) const { return freeLapse ? p[2] : lapse; }
    double logLikelihood(const double* p) const {
        const double q[3] = {p[0], p[1], lapseOf(p)};
        return likelihood->value(q);
    }
};

double objective(unsigned, const double* p, double*, void* data) {
    return -static_cast<const Space*>(data)->logLikelihood(p);
}

[[noreturn]] void refuse(const std::string& message) {
    throw Exception(typeid(PsychometricFit), "ARGUMENT ERROR", message);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

double thresholdProportion(const PsychometricFit::Options& options) {
    return std::isnan(options.thresholdAt) ? options.guess + 0.5 * (1.0 - options.guess)
                                           : options.thresholdAt;
}

// Refuses what no fit can take; the intensities must already be valid for the shape.
void check(const Levels& levels, const PsychometricFit::Options& options) {
    if (levels.size() < 2)
        refuse("A psychometric fit needs at least two intensities; this condition has " +
               std::to_string(levels.size()) + ".");
    if (!(options.guess >= 0 && options.guess < 1))
        refuse("The guess rate must lie in [0, 1).");
    const double lapseLimit = options.freeLapse ? options.maximumLapse : options.lapse;
    if (!(lapseLimit >= 0 && options.guess + lapseLimit < 1))
        refuse("The lapse rate must be at least 0 and leave room above the guess rate.");
    // Beyond these psi never reaches the threshold's proportion for some lapse rate allowed.
    const double at = thresholdProportion(options);
    if (!(at > options.guess && at < 1 - lapseLimit))
        refuse("The threshold's proportion correct, " + number(at) + ", must lie between the guess rate (" +
               number(options.guess) + ") and 1 minus the " + (options.freeLapse ? "largest " : "") +
               "lapse rate (" + number(1 - lapseLimit) + ").");
    if (options.shape == Shape::weibull)
        for (const auto& level : levels)
            if (level.intensity <= 0)
                refuse("A Weibull needs intensities above 0; fit a logistic or cumulative Gaussian "
                       "(for example on log intensities) instead.");
}

Space searchSpace(const PsychometricFit::Options& options, const PsychometricLikelihood& likelihood) {
    if (likelihood.size() < 2)
        refuse("A psychometric fit needs at least two intensities; this condition has 1.");
    const double low = likelihood.intensity(0), high = likelihood.intensity(likelihood.size() - 1);
    Space space{
        options.shape, options.guess, options.freeLapse && options.maximumLapse > 0, options.lapse, {}, {},
        &likelihood};
    const double range = high - low;
    if (options.shape == Shape::weibull) {
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

// Solves the leading dimensions x dimensions block of the symmetric row-major 3 x 3 matrix
// against rhs by Cholesky; false unless it is positive definite.
bool solve(const double* matrix, const double* rhs, unsigned dimensions, double* x) {
    double l[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0}, y[3];
    for (unsigned r = 0; r < dimensions; ++r)
        for (unsigned c = 0; c <= r; ++c) {
            double sum = matrix[3 * r + c];
            for (unsigned k = 0; k < c; ++k)
                sum -= l[3 * r + k] * l[3 * c + k];
            if (r == c) {
                if (!(sum > 0) || !std::isfinite(sum))
                    return false;
                l[3 * r + r] = std::sqrt(sum);
            } else {
                l[3 * r + c] = sum / l[3 * c + c];
            }
        }
    for (unsigned r = 0; r < dimensions; ++r) {
        y[r] = rhs[r];
        for (unsigned k = 0; k < r; ++k)
            y[r] -= l[3 * r + k] * y[k];
        y[r] /= l[3 * r + r];
    }
    for (unsigned r = dimensions; r-- > 0;) {
        x[r] = y[r];
        for (unsigned k = r + 1; k < dimensions; ++k)
            x[r] -= l[3 * k + r] * x[k];
        x[r] /= l[3 * r + r];
    }
    return true;
}

// The step to the maximum of the local quadratic: Newton's where minus the Hessian is positive
// definite (newton is then true), Fisher scoring's elsewhere. A free lapse rate pushed across a
// bound stays on it.
bool newtonStep(const Space& space, const double* q, const double* gradient, const double* observed,
                const double* expected, double* step, bool& newton) {
    const unsigned d = space.dimensions();
    const double* matrix = observed;
    newton = solve(matrix, gradient, d, step);
    if (!newton) {
        matrix = expected;
        if (!solve(matrix, gradient, d, step))
            return false;
    }
    if (d == 3 && (q[2] + step[2] < space.lower[2] || q[2] + step[2] > space.upper[2])) {
        step[2] = (q[2] + step[2] < space.lower[2] ? space.lower[2] : space.upper[2]) - q[2];
        const double rhs[2] = {gradient[0] - matrix[2] * step[2], gradient[1] - matrix[5] * step[2]};
        if (!solve(matrix, rhs, 2, step) && !solve(expected, rhs, 2, step))
            return false;
    }
    return true;
}

// Newton's method from p to the maximum near it, one pass over the levels per step (the first
// from start's precomputed values when given). It stops once the Newton decrement, the step's
// squared length in standard errors, is below tolerance: convergence is quadratic, so the last
// step lands within about tolerance standard errors. False when it leaves the search space
// (the likelihood is heading for a limit) or stalls.
bool newton(const Space& space, double* p, double& logLikelihood, double tolerance,
            const std::vector<PsychometricLikelihood::Local>* start = nullptr) {
    const unsigned d = space.dimensions();
    double q[3] = {p[0], p[1], space.lapseOf(p)}, gradient[3], observed[9], expected[9];
    double current = start ? space.likelihood->score(*start, d, gradient, observed, expected)
                           : space.likelihood->score(q, d, gradient, observed, expected);
    for (int iteration = 0; iteration < 100; ++iteration) {
        double step[3] = {0, 0, 0};
        bool quadratic = false;
        if (!newtonStep(space, q, gradient, observed, expected, step, quadratic))
            return false;
        // Scoring's steps shrink only linearly: they must get much smaller.
        double decrement = 0;
        for (unsigned j = 0; j < d; ++j)
            decrement += gradient[j] * step[j];
        if (std::fabs(decrement) <= (quadratic ? tolerance : 1e-4 * tolerance)) {
            for (unsigned j = 0; j < d; ++j)
                p[j] = q[j] + step[j];
            logLikelihood = current;
            return true;
        }
        double trial[3] = {q[0], q[1], q[2]}, scale = 1.0, next = 0;
        double nextGradient[3], nextObserved[9], nextExpected[9];
        bool accepted = false;
        for (int halving = 0; halving < 30 && !accepted; ++halving, scale *= 0.5) {
            for (unsigned j = 0; j < d; ++j)
                trial[j] = q[j] + scale * step[j];
            next = space.likelihood->score(trial, d, nextGradient, nextObserved, nextExpected);
            accepted = next >= current - 1e-12 * (1.0 + std::fabs(current));
        }
        if (!accepted)
            return false;
        std::copy(trial, trial + 3, q);
        std::copy(nextGradient, nextGradient + 3, gradient);
        std::copy(nextObserved, nextObserved + 9, observed);
        std::copy(nextExpected, nextExpected + 9, expected);
        current = next;
        for (unsigned j = 0; j < 2; ++j)
            if (!(q[j] > space.lower[j] && q[j] < space.upper[j]))
                return false;
    }
    return false;
}

// Threshold, slope and deviance of an estimate; whether it converged is decided elsewhere.
void describeEstimate(const Space& space, const double* p, double logLikelihood, double thresholdAt,
                      double saturated, PsychometricFit::Estimate& e) {
    e.alpha = space.alpha(p);
    e.beta = space.beta(p);
    e.lapse = space.lapseOf(p);
    e.logLikelihood = logLikelihood;
    const double f = (thresholdAt - space.guess) / (1.0 - space.guess - e.lapse);
    if (f > 0 && f < 1) {
        e.threshold = inverseSigmoid(space.shape, f, e.alpha, e.beta);
        e.slope =
            (1.0 - space.guess - e.lapse) * sigmoidDerivative(space.shape, e.threshold, e.alpha, e.beta);
    } else {
        e.threshold = e.slope = std::numeric_limits<double>::quiet_NaN();
    }
    e.deviance = std::max(0.0, 2.0 * (saturated - e.logLikelihood));
}

// Where the likelihood's supremum is a step or a flat line, no parameters reach it: the
// estimate is withdrawn and the message says which limit it heads for.
bool withoutMaximum(const Space& space, double saturated, PsychometricFit::Estimate& e) {
    const PsychometricLikelihood::Limit limit =
        space.likelihood->limit(space.freeLapse, space.lapse, space.upper[2]);
    if (limit.logLikelihood < e.logLikelihood - 1e-9 * (1.0 + std::fabs(e.logLikelihood)))
        return false;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    e.converged = false;
    e.message = space.likelihood->describe(limit);
    e.alpha = e.beta = e.threshold = e.slope = nan;
    if (space.freeLapse)
        e.lapse = nan;
    e.logLikelihood = std::max(e.logLikelihood, limit.logLikelihood);
    e.deviance = std::max(0.0, 2.0 * (saturated - e.logLikelihood));
    return true;
}

PsychometricFit::Estimate optimise(const Space& space, const double* start, double thresholdAt,
                                   double saturated) {
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
    double logLikelihood = space.logLikelihood(p);
    // BOBYQA stops where the likelihood changes little; Newton's steps go on to where the
    // gradient vanishes.
    double polished[3] = {p[0], p[1], p[2]}, polishedLikelihood = 0;
    // Near the maximum the two log-likelihoods differ by rounding only.
    if (code > 0 && newton(space, polished, polishedLikelihood, 1e-12) &&
        polishedLikelihood >= logLikelihood - 1e-9 * (1.0 + std::fabs(logLikelihood))) {
        std::copy(polished, polished + 3, p);
        logLikelihood = polishedLikelihood;
    }

    PsychometricFit::Estimate e;
    describeEstimate(space, p, logLikelihood, thresholdAt, saturated, e);
    if (withoutMaximum(space, saturated, e))
        return e;
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
    return e;
}

// The best point of a coarse grid over the search space: BOBYQA refines inside its basin.
void gridStart(const Space& space, const PsychometricFit::Options& options, double* best) {
    const int steps = 30;
    best[0] = best[1] = 0;
    best[2] = space.freeLapse ? std::min(0.02, options.maximumLapse / 2) : options.lapse;
    double bestValue = -std::numeric_limits<double>::infinity();
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
            double p[3] = {space.lower[0] + (space.upper[0] - space.lower[0]) * i / steps,
                           space.lower[1] + (space.upper[1] - space.lower[1]) * j / steps, best[2]};
            const double value = space.logLikelihood(p);
            if (value > bestValue) {
                bestValue = value;
                best[0] = p[0];
                best[1] = p[1];
            }
        }
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

// A progress bar with the time left, on the given stream, shown once the work has taken a second.
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
                            (shown_ && now - last_ < std::chrono::milliseconds(200))))
            return;
        shown_ = true;
        last_ = now;
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        const int left = static_cast<int>(std::ceil(elapsed / done * (total_ - done)));
        const int width = 30, filled = width * done / total_;
        *out_ << "\rbootstrap [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << done << "/" << total_
              << ", " << (left >= 60 ? std::to_string(left / 60) + " min " : std::string()) << left % 60
              << " s left " << std::flush;
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
    check(levels, options);
    const PsychometricLikelihood likelihood(levels, options.shape, options.guess);
    const Space space = searchSpace(options, likelihood);
    const double thresholdAt = thresholdProportion(options);
    // Many intensities are first fitted pooled into about 1000 neighbouring groups: that
    // maximum lies close to the real one, which a few Newton steps over all levels then reach.
    const std::size_t groups = 1000;
    if (likelihood.size() > 2 * groups) {
        Levels pooled;
        const std::size_t size = (likelihood.size() + groups - 1) / groups;
        for (std::size_t first = 0; first < likelihood.size(); first += size) {
            PsychometricData::Level level;
            double sum = 0;
            for (std::size_t i = first; i < std::min(first + size, likelihood.size()); ++i) {
                sum += likelihood.intensity(i) * likelihood.trials(i);
                level.trials += static_cast<int>(likelihood.trials(i));
                level.correct += static_cast<int>(likelihood.correct()[i]);
            }
            level.intensity = sum / level.trials;
            pooled.push_back(level);
        }
        const PsychometricLikelihood coarse(pooled, options.shape, options.guess);
        Space coarseSpace = searchSpace(options, coarse);
        std::copy(space.lower, space.lower + 3, coarseSpace.lower);
        std::copy(space.upper, space.upper + 3, coarseSpace.upper);
        double start[3];
        gridStart(coarseSpace, options, start);
        const Estimate near = optimise(coarseSpace, start, thresholdAt, coarse.saturated());
        double p[3] = {options.shape == Shape::weibull ? std::log(near.alpha) : near.alpha,
                       std::log(near.beta), near.lapse},
               logLikelihood = 0;
        if (near.converged && newton(space, p, logLikelihood, 1e-12)) {
            Estimate e;
            describeEstimate(space, p, logLikelihood, thresholdAt, likelihood.saturated(), e);
            withoutMaximum(space, likelihood.saturated(), e);
            return e;
        }
    }
    double start[3];
    gridStart(space, options, start);
    return optimise(space, start, thresholdAt, likelihood.saturated());
}

PsychometricFit::Result PsychometricFit::analyse(const Levels& levels, const Options& options) {
    Result result;
    result.estimate = fit(levels, options);
    result.thresholdAt = thresholdProportion(options);
    const Estimate& e = result.estimate;
    if (options.bootstrap <= 0 || !e.converged)
        return result;

    PsychometricLikelihood likelihood(levels, options.shape, options.guess);
    const Space space = searchSpace(options, likelihood);
    const double estimate[3] = {options.shape == Shape::weibull ? std::log(e.alpha) : e.alpha,
                                std::log(e.beta), e.lapse};
    // Samples are drawn per intensity, and each fit starts from the estimate, whose psi and
    // derivatives are computed once: a sample's maximum lies near it, two or three Newton steps
    // away, and to within 1e-6 standard errors is far finer than the bootstrap's own error.
    const std::vector<PsychometricLikelihood::Local> atEstimate = likelihood.at(estimate);
    std::vector<std::binomial_distribution<int>> draws;
    for (std::size_t i = 0; i < likelihood.size(); ++i)
        draws.emplace_back(static_cast<int>(likelihood.trials(i)),
                           std::min(1.0, std::max(0.0, 1.0 - atEstimate[i].miss)));
    const auto draw = [&](std::size_t i, std::mt19937_64& generator) -> double {
        // One trial (the common case of many intensities) is a uniform against psi.
        if (draws[i].t() == 1)
            return static_cast<double>(generator() >> 11) * 0x1.0p-53 < draws[i].p() ? 1.0 : 0.0;
        return draws[i](generator);
    };
    std::vector<double>& correct = likelihood.correct();
    std::mt19937_64 generator(options.seed);
    std::vector<double> thresholds, slopes;
    int atLeastAsLarge = 0, converged = 0;
    ProgressBar bar(options.progress, options.bootstrap);
    for (int b = 0; b < options.bootstrap; ++b) {
        for (std::size_t i = 0; i < draws.size(); ++i)
            correct[i] = draw(i, generator);
        const double saturated = likelihood.saturated();
        double p[3] = {estimate[0], estimate[1], estimate[2]}, logLikelihood = 0;
        Estimate s;
        if (newton(space, p, logLikelihood, 1e-6, &atEstimate)) {
            describeEstimate(space, p, logLikelihood, result.thresholdAt, saturated, s);
            withoutMaximum(space, saturated, s);
        } else {
            s = optimise(space, estimate, result.thresholdAt, saturated);
        }
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
    if (result.bootstrapFailures > 0)
        result.note = std::to_string(result.bootstrapFailures) + " of " + std::to_string(options.bootstrap) +
                      " bootstrap samples had no estimate; the intervals leave them out";
    // A percentile interval beside its own estimate says the bootstrap cannot be trusted here.
    const auto withhold = [&](double& low, double& high, double value, const char* what) {
        if (low <= value && value <= high)
            return;
        low = high = std::numeric_limits<double>::quiet_NaN();
        result.note += std::string(result.note.empty() ? "" : "; ") + "no " + what +
                       " interval: the bootstrap's would exclude the estimate";
    };
    withhold(result.thresholdLow, result.thresholdHigh, e.threshold, "threshold");
    withhold(result.slopeLow, result.slopeHigh, e.slope, "slope");
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
