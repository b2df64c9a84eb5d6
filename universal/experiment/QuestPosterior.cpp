#include "experiment/QuestPosterior.h"

#include "base/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace Stimora {
namespace ExperimentalMethods {

namespace {

constexpr double largestGrid = 100000;

[[noreturn]] void refuse(const std::string& message) {
    throw Exception(typeid(QuestPosterior), "ARGUMENT ERROR", message);
}

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// Linear interpolation in the breakpoints (xs increasing) at x, as the reference formulation
// interpolates; false where x lies outside them.
bool interpolate(const std::vector<double>& xs, const std::vector<double>& ys, double x, double& y) {
    if (xs.empty() || !(x >= xs.front() && x <= xs.back()))
        return false;
    const std::size_t upper =
        static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), x) - xs.begin());
    if (upper == 0 || xs[upper] == x) {
        y = ys[upper];
        return true;
    }
    const std::size_t lower = upper - 1;
    y = ys[lower] + (x - xs[lower]) * (ys[upper] - ys[lower]) / (xs[upper] - xs[lower]);
    return true;
}

} // namespace

QuestPosterior::QuestPosterior(const Parameters& parameters) : parameters_(parameters) {
    const Parameters& p = parameters_;
    if (!std::isfinite(p.guess))
        refuse("QUEST's threshold guess must be a finite log10 intensity (got " + number(p.guess) + ").");
    if (!(p.guessSd > 0) || !std::isfinite(p.guessSd))
        refuse("QUEST's prior sd must be positive (got " + number(p.guessSd) + ").");
    if (!(p.grain > 0))
        refuse("QUEST's grain must be positive (got " + number(p.grain) + ").");
    if (!(p.range > 0))
        refuse("QUEST's range must be positive (got " + number(p.range) + ").");
    if (!(p.beta > 0) || !std::isfinite(p.beta))
        refuse("QUEST's beta must be positive (got " + number(p.beta) + ").");
    if (!(p.delta >= 0 && p.delta < 1))
        refuse("QUEST's delta must lie in [0, 1) (got " + number(p.delta) + ").");
    if (!(p.gamma >= 0 && p.gamma < 1))
        refuse("QUEST's gamma must lie in [0, 1) (got " + number(p.gamma) + ").");
    // An even number of steps across the range, so that the guess is the middle point.
    const double half = std::ceil(p.range / p.grain / 2);
    if (!(2 * half + 1 <= largestGrid))
        refuse("QUEST's grid would have " + number(2 * half + 1) +
               " points, more than 100,000: use a coarser grain or a smaller range.");
    half_ = static_cast<int>(half);

    const int points = 2 * half_ + 1;
    pdf_.resize(static_cast<std::size_t>(points));
    double sum = 0;
    for (int k = 0; k < points; ++k) {
        const double x = grid(k);
        pdf_[static_cast<std::size_t>(k)] = std::exp(-0.5 * (x / p.guessSd) * (x / p.guessSd));
        sum += pdf_[static_cast<std::size_t>(k)];
    }
    for (double& value : pdf_)
        value /= sum;

    // The function on twice the grid, then shifted so that it passes the threshold probability
    // at 0. The breakpoints are those where the next value differs: the first point of the
    // top plateau is left out, as in the reference formulation.
    const int points2 = 4 * half_ + 1;
    p2_.resize(static_cast<std::size_t>(points2));
    for (int j = 0; j < points2; ++j)
        p2_[static_cast<std::size_t>(j)] = weibull((j - 2 * half_) * p.grain);
    std::vector<double> ps, xs;
    for (int j = 0; j + 1 < points2; ++j)
        if (p2_[static_cast<std::size_t>(j) + 1] != p2_[static_cast<std::size_t>(j)]) {
            ps.push_back(p2_[static_cast<std::size_t>(j)]);
            xs.push_back((j - 2 * half_) * p.grain);
        }
    if (!interpolate(ps, xs, p.thresholdProbability, xThreshold_))
        refuse("QUEST's threshold probability " + number(p.thresholdProbability) +
               " lies outside what the psychometric function reaches on this grid (" +
               number(ps.empty() ? p2_.front() : ps.front()) + " to " +
               number(ps.empty() ? p2_.back() : ps.back()) + ").");
    for (int j = 0; j < points2; ++j)
        p2_[static_cast<std::size_t>(j)] = weibull((j - 2 * half_) * p.grain + xThreshold_);
}

double QuestPosterior::weibull(double x) const {
    const Parameters& p = parameters_;
    return p.delta * p.gamma + (1 - p.delta) * (1 - (1 - p.gamma) * std::exp(-std::pow(10.0, p.beta * x)));
}

double QuestPosterior::grid(int k) const {
    return (k - half_) * parameters_.grain;
}

double QuestPosterior::probabilityCorrect(double intensity, double threshold) const {
    return weibull(intensity - threshold + xThreshold_);
}

void QuestPosterior::update(double intensity, int response) {
    if (response != 0 && response != 1)
        refuse("A response must be 0 (wrong) or 1 (correct), not " + std::to_string(response) + ".");
    const double clipped = std::max(-1e10, std::min(1e10, intensity));
    // Intensity above each candidate threshold, in grid steps; rounded half away from zero.
    const double shift = std::round((clipped - parameters_.guess) / parameters_.grain);
    // Grid point k takes the function at first - k. Beyond guess +- half steps that window
    // would leave the function's table; like the published formulation, it is then moved
    // whole to the table's nearest end, so the posterior is inexact there.
    const double last = static_cast<double>(p2_.size() - 1);
    double first = 3.0 * half_ + shift;
    if (first > last || first - 2.0 * half_ < 0) {
        first = first > last ? last : 2.0 * half_;
        if (!warned_)
            std::fprintf(stderr,
                         "Stimora: QUEST intensity %.3f lies outside %.2f to %.2f, where the posterior is "
                         "exact; it will be inexact (a larger range avoids this).\n",
                         intensity, parameters_.guess - half_ * parameters_.grain,
                         parameters_.guess + half_ * parameters_.grain);
        warned_ = true;
    }
    double sum = 0;
    for (std::size_t k = 0; k < pdf_.size(); ++k) {
        const double correct = p2_[static_cast<std::size_t>(first) - k];
        pdf_[k] *= response == 1 ? correct : 1 - correct;
        sum += pdf_[k];
    }
    if (!(sum > 0))
        refuse("The responses so far are impossible under QUEST's psychometric function "
               "(a lapse rate delta above 0 allows for them).");
    for (double& value : pdf_)
        value /= sum;
    ++trials_;
}

double QuestPosterior::mean() const {
    double weight = 0, moment = 0;
    for (std::size_t k = 0; k < pdf_.size(); ++k) {
        weight += pdf_[k];
        moment += pdf_[k] * grid(static_cast<int>(k));
    }
    return parameters_.guess + moment / weight;
}

double QuestPosterior::sd() const {
    double weight = 0, moment = 0, second = 0;
    for (std::size_t k = 0; k < pdf_.size(); ++k) {
        const double x = grid(static_cast<int>(k));
        weight += pdf_[k];
        moment += pdf_[k] * x;
        second += pdf_[k] * x * x;
    }
    return std::sqrt(second / weight - (moment / weight) * (moment / weight));
}

double QuestPosterior::mode() const {
    const auto highest = std::max_element(pdf_.begin(), pdf_.end());
    return parameters_.guess + grid(static_cast<int>(highest - pdf_.begin()));
}

double QuestPosterior::quantile(double order) const {
    if (!(order >= 0 && order <= 1))
        refuse("A quantile order must lie in [0, 1] (got " + number(order) + ").");
    // Cumulative sums at the points where they grow, against the grid.
    std::vector<double> cumulative, xs;
    double sum = 0, previous = -1;
    for (std::size_t k = 0; k < pdf_.size(); ++k) {
        sum += pdf_[k];
        if (sum != previous) {
            cumulative.push_back(sum);
            xs.push_back(grid(static_cast<int>(k)));
        }
        previous = sum;
    }
    double x = xs.front();
    if (!interpolate(cumulative, xs, order * sum, x) && order * sum > cumulative.back())
        x = xs.back();
    return parameters_.guess + x;
}

} // namespace ExperimentalMethods
} // namespace Stimora
