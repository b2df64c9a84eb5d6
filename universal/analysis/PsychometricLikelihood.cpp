#include "analysis/PsychometricLikelihood.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace Stimora {
namespace Analysis {

namespace {

using Shape = PsychometricFit::Shape;

// F(z), 1 - F(z) (each accurate in its own tail), the density f(z) and its derivative f'(z).
inline void distribution(Shape shape, double z, double& lower, double& upper, double& density,
                         double& slope) {
    switch (shape) {
    case Shape::logistic: {
        const double e = std::exp(-std::fabs(z));
        const double near = 1.0 / (1.0 + e), far = e / (1.0 + e);
        lower = z >= 0 ? near : far;
        upper = z >= 0 ? far : near;
        density = near * far;
        slope = density * (upper - lower);
        return;
    }
    case Shape::weibull: {
        // The Weibull in x is the Gumbel (minimum) distribution in ln x.
        const double u = std::exp(z);
        upper = std::exp(-u);
        lower = upper < 0.5 ? 1.0 - upper : -std::expm1(-u);
        density = u * upper;
        slope = density * (1.0 - u);
        return;
    }
    case Shape::gaussian:
        break;
    }
    lower = 0.5 * std::erfc(-z * M_SQRT1_2);
    upper = z > 0 ? 0.5 * std::erfc(z * M_SQRT1_2) : 1.0 - lower;
    density = std::exp(-0.5 * z * z) * (0.5 * M_2_SQRTPI * M_SQRT1_2);
    slope = -z * density;
}

// k ln p + (n - k) ln(1 - p) from the two logarithms, with 0 ln 0 = 0.
double binomialTerm(double k, double n, double logP, double logQ) {
    return (k > 0 ? k * logP : 0.0) + (n - k > 0 ? (n - k) * logQ : 0.0);
}

double binomialTerm(double k, double n, double p) {
    return binomialTerm(k, n, std::log(p), std::log1p(-p));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

const double tiny = 1e-300;

} // namespace

PsychometricLikelihood::PsychometricLikelihood(const std::vector<PsychometricData::Level>& levels,
                                               Shape shape, double guess)
    : shape_(shape), guess_(guess) {
    std::vector<PsychometricData::Level> sorted = levels;
    std::sort(sorted.begin(), sorted.end(),
              [](const PsychometricData::Level& a, const PsychometricData::Level& b) {
                  return a.intensity < b.intensity;
              });
    for (const auto& level : sorted) {
        const double t = shape == Shape::weibull ? std::log(level.intensity) : level.intensity;
        if (!t_.empty() && t == t_.back()) {
            n_.back() += level.trials;
            k_.back() += level.correct;
        } else {
            t_.push_back(t);
            n_.push_back(level.trials);
            k_.push_back(level.correct);
        }
    }
}

double PsychometricLikelihood::intensity(std::size_t i) const {
    return shape_ == Shape::weibull ? std::exp(t_[i]) : t_[i];
}

double PsychometricLikelihood::probability(std::size_t i, const double* p) const {
    double lower, upper, density, slope;
    distribution(shape_, std::exp(p[1]) * (t_[i] - p[0]), lower, upper, density, slope);
    return guess_ + (1.0 - guess_ - p[2]) * lower;
}

double PsychometricLikelihood::value(const double* p) const {
    const double beta = std::exp(p[1]), lapse = p[2], scale = 1.0 - guess_ - lapse;
    double sum = 0;
    for (std::size_t i = 0; i < t_.size(); ++i) {
        double lower, upper, density, slope;
        distribution(shape_, beta * (t_[i] - p[0]), lower, upper, density, slope);
        const double k = k_[i], wrong = n_[i] - k;
        if (k > 0)
            sum += k * std::log(std::max(guess_ + scale * lower, tiny));
        if (wrong > 0)
            sum += wrong * std::log(std::max(scale * upper + lapse, tiny));
    }
    return sum;
}

void PsychometricLikelihood::local(std::size_t i, const double* p, Local& l) const {
    const double beta = std::exp(p[1]), lapse = p[2], scale = 1.0 - guess_ - lapse;
    const double z = beta * (t_[i] - p[0]);
    double lower, upper, density, slope;
    distribution(shape_, z, lower, upper, density, slope);
    l.psi = std::max(guess_ + scale * lower, tiny);
    l.miss = std::max(scale * upper + lapse, tiny);
    l.logPsi = l.logMiss = std::numeric_limits<double>::quiet_NaN(); // taken when needed
    // z = beta (t - a): dz/da = -beta, dz/d(ln beta) = z.
    l.d[0] = -scale * density * beta;
    l.d[1] = scale * density * z;
    l.d[2] = -lower;
    l.dd[0] = scale * slope * beta * beta;
    l.dd[1] = -scale * beta * (slope * z + density);
    l.dd[2] = scale * z * (slope * z + density);
    l.dd[3] = density * beta;
    l.dd[4] = -density * z;
    l.dd[5] = 0.0;
}

std::vector<PsychometricLikelihood::Local> PsychometricLikelihood::at(const double* p) const {
    std::vector<Local> point(t_.size());
    for (std::size_t i = 0; i < t_.size(); ++i) {
        local(i, p, point[i]);
        point[i].logPsi = std::log(point[i].psi);
        point[i].logMiss = std::log(point[i].miss);
    }
    return point;
}

namespace {

// Sums of the log-likelihood and its derivatives over levels.
struct Sums {
    double value = 0;
    double g[3] = {};
    double observed[9] = {};
    double expected[9] = {};

    // logs: l holds the logarithms; otherwise they are taken here, only where a count needs them.
    void add(const PsychometricLikelihood::Local& l, double k, double n, unsigned dimensions, bool logs) {
        const double wrong = n - k;
        if (k > 0)
            value += k * (logs ? l.logPsi : std::log(l.psi));
        if (wrong > 0)
            value += wrong * (logs ? l.logMiss : std::log(l.miss));
        // d/dpsi and d2/dpsi2 of k ln psi + (n - k) ln(1 - psi).
        const double first = k / l.psi - wrong / l.miss;
        const double second = k / (l.psi * l.psi) + wrong / (l.miss * l.miss);
        const double weight = n / (l.psi * l.miss);
        static const int pair[3][3] = {{0, 1, 3}, {1, 2, 4}, {3, 4, 5}};
        for (unsigned r = 0; r < dimensions; ++r) {
            g[r] += first * l.d[r];
            for (unsigned c = 0; c <= r; ++c) {
                const double outer = l.d[r] * l.d[c];
                observed[3 * r + c] += second * outer - first * l.dd[pair[r][c]];
                expected[3 * r + c] += weight * outer;
            }
        }
    }
    // The full 3 x 3 from the lower triangle; rows beyond dimensions stay 0.
    double finish(double* gradient, double* observedOut, double* expectedOut) const {
        for (unsigned r = 0; r < 3; ++r) {
            gradient[r] = g[r];
            for (unsigned c = 0; c < 3; ++c) {
                const unsigned low = 3 * std::max(r, c) + std::min(r, c);
                observedOut[3 * r + c] = observed[low];
                expectedOut[3 * r + c] = expected[low];
            }
        }
        return value;
    }
};

} // namespace

double PsychometricLikelihood::score(const double* p, unsigned dimensions, double* gradient, double* observed,
                                     double* expected) const {
    Sums sums;
    Local l;
    for (std::size_t i = 0; i < t_.size(); ++i) {
        local(i, p, l);
        sums.add(l, k_[i], n_[i], dimensions, false);
    }
    return sums.finish(gradient, observed, expected);
}

double PsychometricLikelihood::score(const std::vector<Local>& point, unsigned dimensions, double* gradient,
                                     double* observed, double* expected) const {
    Sums sums;
    for (std::size_t i = 0; i < t_.size(); ++i)
        sums.add(point[i], k_[i], n_[i], dimensions, true);
    return sums.finish(gradient, observed, expected);
}

double PsychometricLikelihood::saturated() const {
    double sum = 0;
    for (std::size_t i = 0; i < t_.size(); ++i)
        if (k_[i] > 0 && k_[i] < n_[i])
            sum += binomialTerm(k_[i], n_[i], k_[i] / n_[i]);
    return sum;
}

PsychometricLikelihood::Limit PsychometricLikelihood::limit(bool freeLapse, double lapse,
                                                            double maximumLapse) const {
    // A step keeps the levels below it at the guess rate and those above at 1 - lapse, with
    // at most one level on it at any proportion between; flat lines sit anywhere in between.
    const std::size_t count = t_.size();
    std::vector<double> kBefore(count + 1, 0.0), nBefore(count + 1, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        kBefore[i + 1] = kBefore[i] + k_[i];
        nBefore[i + 1] = nBefore[i] + n_[i];
    }
    const double kAll = kBefore[count], nAll = nBefore[count];
    const auto lapseAbove = [&](std::size_t from) {
        const double n = nAll - nBefore[from], wrong = n - (kAll - kBefore[from]);
        return !freeLapse ? lapse : n > 0 ? std::min(maximumLapse, wrong / n) : 0.0;
    };
    const double logGuess = std::log(guess_), logMiss = std::log1p(-guess_);
    const auto below = [&](std::size_t end) {
        return binomialTerm(kBefore[end], nBefore[end], logGuess, logMiss);
    };
    const double bound = freeLapse ? maximumLapse : lapse;
    const double logTop = std::log1p(-bound), logLapse = std::log(bound);
    const auto above = [&](std::size_t from, double rate) {
        const double k = kAll - kBefore[from], n = nAll - nBefore[from];
        return rate == bound ? binomialTerm(k, n, logTop, logLapse) : binomialTerm(k, n, 1.0 - rate);
    };
    Limit best;
    best.logLikelihood = -std::numeric_limits<double>::infinity();
    for (std::size_t s = 0; s <= count; ++s) {
        const double value = below(s) + above(s, lapseAbove(s));
        if (value > best.logLikelihood) {
            best.logLikelihood = value;
            best.below = s;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double rate = lapseAbove(i + 1), q = k_[i] / n_[i];
        if (q <= guess_ || q >= 1.0 - rate)
            continue;
        const double value = below(i) + binomialTerm(k_[i], n_[i], q) + above(i + 1, rate);
        if (value > best.logLikelihood) {
            best.logLikelihood = value;
            best.below = i;
            best.middle = static_cast<long>(i);
        }
    }
    const double level = std::max(guess_, std::min(1.0 - (freeLapse ? 0.0 : lapse), kAll / nAll));
    const double flat = binomialTerm(kAll, nAll, level);
    if (flat > best.logLikelihood) {
        best = Limit();
        best.logLikelihood = flat;
        best.flat = true;
        best.level = level;
    }
    return best;
}

std::string PsychometricLikelihood::describe(const Limit& limit) const {
    const std::string none = "no maximum-likelihood estimate: ";
    if (limit.flat)
        return none + "the likelihood is highest for a flat line at proportion correct " +
               number(limit.level) + " (the answers do not rise with intensity)";
    if (limit.middle >= 0)
        return none + "the likelihood keeps rising towards a step at intensity " +
               number(intensity(static_cast<std::size_t>(limit.middle)));
    if (limit.below == size())
        return none + "no intensity rises above the guess rate, so the likelihood is flat as the threshold "
                      "moves beyond the highest intensity";
    if (limit.below == 0) {
        bool allCorrect = true;
        for (std::size_t i = 0; i < size(); ++i)
            allCorrect = allCorrect && k_[i] == n_[i];
        return none + (allCorrect ? "every answer is correct, so" : "every intensity is at the top, so") +
               " the likelihood keeps rising as the threshold falls below the lowest intensity";
    }
    return none + "the proportion correct jumps from the guess rate to the top between intensities " +
           number(intensity(limit.below - 1)) + " and " + number(intensity(limit.below)) +
           ", so the likelihood keeps rising towards a step there";
}

} // namespace Analysis
} // namespace Stimora
