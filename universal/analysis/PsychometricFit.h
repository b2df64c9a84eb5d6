#pragma once

#include "analysis/PsychometricData.h"

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// Binomial maximum-likelihood fit of a psychometric function
///   psi(x) = guess + (1 - guess - lapse) F(x; alpha, beta)
/// with F a Weibull (1 - exp(-(x / alpha)^beta), x > 0), a logistic
/// (1 / (1 + exp(-beta (x - alpha)))) or a cumulative Gaussian (Phi(beta (x - alpha))).
/// The guess rate is fixed; the lapse rate is fixed or free within [0, maximum lapse].
/// The optimiser is NLopt's bounded BOBYQA, started from the best point of a coarse grid and
/// finished by Fisher scoring; data whose likelihood only approaches its supremum (a step, or a
/// flat line) are reported as not converged.
/// Confidence intervals and the deviance's p-value come from a seeded parametric bootstrap.
class PsychometricFit {
public:
    /// The sigmoid F.
    enum class Shape { weibull, logistic, gaussian };

    /// What is fixed and how the fit is reported.
    struct Options {
        /// The sigmoid fitted.
        Shape shape = Shape::weibull;
        /// Proportion correct at zero intensity (0.5 for two alternatives).
        double guess = 0.5;
        /// Fit the lapse rate within [0, maximumLapse]; otherwise it stays at lapse.
        bool freeLapse = true;
        /// The fixed lapse rate.
        double lapse = 0.0;
        /// The free lapse rate's upper bound.
        double maximumLapse = 0.06;
        /// The threshold is where psi reaches this proportion correct; NaN takes the middle
        /// between the guess rate and 1.
        double thresholdAt = std::numeric_limits<double>::quiet_NaN();
        /// Parametric bootstrap samples (0: none).
        int bootstrap = 1000;
        /// Seed of the bootstrap's generator: the same seed gives the same intervals.
        std::uint64_t seed = 1;
        /// Where a progress bar goes when the bootstrap takes more than a second (none if null).
        std::ostream* progress = nullptr;
    };

    /// One maximum-likelihood estimate.
    struct Estimate {
        /// Location: F(alpha) = 1 - 1/e for the Weibull, 1/2 for the others.
        double alpha = 0.0;
        /// Steepness of F.
        double beta = 0.0;
        /// The lapse rate, fitted or fixed.
        double lapse = 0.0;
        /// Intensity at the chosen proportion correct.
        double threshold = 0.0;
        /// d psi / dx at the threshold.
        double slope = 0.0;
        /// The binomial log-likelihood at the estimate (without the binomial coefficients).
        double logLikelihood = 0.0;
        /// Twice the log-likelihood ratio of the saturated model to this one.
        double deviance = 0.0;
        /// False when the likelihood has no maximum (it keeps rising towards a step or a flat
        /// line: alpha, beta, threshold and slope are then NaN), when NLopt failed, or when the
        /// estimate sits on a bound of the search; message says which.
        bool converged = true;
        /// Why it did not converge (empty when it did).
        std::string message;
    };

    /// The estimate and what the bootstrap made of it.
    struct Result {
        /// The maximum-likelihood estimate.
        Estimate estimate;
        /// Proportion correct the threshold refers to.
        double thresholdAt = 0.0;
        ///@{
        /// 95 % percentile interval of the threshold (NaN without a bootstrap).
        double thresholdLow = std::numeric_limits<double>::quiet_NaN();
        double thresholdHigh = std::numeric_limits<double>::quiet_NaN();
        ///@}
        ///@{
        /// 95 % percentile interval of the slope (NaN without a bootstrap).
        double slopeLow = std::numeric_limits<double>::quiet_NaN();
        double slopeHigh = std::numeric_limits<double>::quiet_NaN();
        ///@}
        /// Share of bootstrap deviances at least as large as the observed one.
        double devianceP = std::numeric_limits<double>::quiet_NaN();
        /// Bootstrap samples drawn.
        int bootstrapSamples = 0;
        /// Bootstrap samples whose fit failed to converge (left out of the intervals).
        int bootstrapFailures = 0;
        /// What a reader of the intervals should know (failed samples, an interval withheld).
        std::string note;
    };

    /// The sigmoid F at x.
    static double sigmoid(Shape shape, double x, double alpha, double beta);
    /// psi at x.
    static double probability(Shape shape, double x, double alpha, double beta, double guess, double lapse);
    /// Binomial log-likelihood of levels under psi (without the constant binomial coefficients).
    static double logLikelihood(const std::vector<PsychometricData::Level>& levels, Shape shape, double alpha,
                                double beta, double guess, double lapse);
    /// The maximum-likelihood estimate. Raises Exception "ARGUMENT ERROR" for fewer than two
    /// intensities, a Weibull with an intensity at or below 0, a guess or lapse rate out of range,
    /// or a threshold proportion outside (guess, 1 - lapse).
    static Estimate fit(const std::vector<PsychometricData::Level>& levels, const Options& options);
    /// fit(), then the parametric bootstrap for the intervals and the deviance's p-value (none
    /// when the fit did not converge; an interval that would exclude its estimate is NaN).
    static Result analyse(const std::vector<PsychometricData::Level>& levels, const Options& options);
    /// "weibull", "logistic" or "gaussian".
    static std::string name(Shape shape);
};

} // namespace Analysis
} // namespace Stimora
