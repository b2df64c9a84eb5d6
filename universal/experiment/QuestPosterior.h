#pragma once

#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// The threshold posterior of Watson and Pelli's QUEST (1983), on a grid of log10 intensities.
/// It starts from a Gaussian prior around a guess and multiplies in the likelihood of every
/// trial's response under a Weibull psychometric function shifted so that it passes the
/// threshold probability at the threshold. Grid, rounding and normalisation follow the
/// authors' own formulation, so the same parameters and responses give the same mean, sd,
/// mode and quantiles.
class QuestPosterior {
public:
    /// What the experimenter assumes about the observer. Intensities are log10 units.
    struct Parameters {
        double guess = 0.0;                 ///< prior mean of the threshold (tGuess)
        double guessSd = 2.0;               ///< prior sd of the threshold, > 0
        double thresholdProbability = 0.82; ///< proportion correct that defines the threshold
        double beta = 3.5;                  ///< Weibull slope, > 0
        double delta = 0.01;                ///< lapse rate, 0 <= delta < 1
        double gamma = 0.5;                 ///< guess rate (0.5 for two alternatives), 0 <= gamma < 1
        double grain = 0.01;                ///< grid spacing, > 0
        double range = 5.0;                 ///< width of the grid around the guess, > 0
    };

    /// The prior. Raises Exception "ARGUMENT ERROR" saying which parameter is wrong: a sd,
    /// grain, range or beta that is not positive, delta or gamma outside [0, 1), a grid of
    /// more than 100,000 points, or a threshold probability the function never reaches.
    explicit QuestPosterior(const Parameters& parameters);

    /// Multiplies in the likelihood of response (1 correct, 0 wrong) at a log10 intensity;
    /// raises Exception "ARGUMENT ERROR" for any other response, or when the responses so far
    /// are impossible under the psychometric function (the posterior would vanish). An
    /// intensity beyond guess +- range / 2 shifts the likelihood's window as the published
    /// formulation does, and the first such intensity warns on standard error.
    void update(double intensity, int response);

    /// Posterior mean of the threshold, log10 units.
    double mean() const;
    /// Posterior standard deviation of the threshold, log10 units.
    double sd() const;
    /// Most probable threshold (the first grid point of the highest posterior), log10 units.
    double mode() const;
    /// The threshold below which the given proportion (0 to 1) of the posterior lies,
    /// interpolated linearly between grid points; beyond the grid's first point, that point.
    double quantile(double order) const;
    /// Probability of a correct response at intensity for an observer whose threshold is
    /// threshold: the normalised Weibull the posterior uses (without the grid's rounding).
    double probabilityCorrect(double intensity, double threshold) const;

    /// The parameters the posterior was made with.
    const Parameters& parameters() const { return parameters_; }
    /// Number of grid points (an odd number: the guess is the middle one).
    int gridPoints() const { return static_cast<int>(pdf_.size()); }
    /// Trials multiplied in so far.
    int trials() const { return trials_; }

private:
    double weibull(double x) const;
    double grid(int k) const;

    Parameters parameters_;
    int half_ = 0;            // grid points either side of the guess
    double xThreshold_ = 0.0; // shift that puts the threshold probability at 0
    std::vector<double> pdf_; // posterior at guess + (k - half_) * grain, sums to 1
    std::vector<double> p2_;  // P(correct) at (j - 2 half_) * grain above the threshold
    int trials_ = 0;
    bool warned_ = false;
};

} // namespace ExperimentalMethods
} // namespace Stimora
