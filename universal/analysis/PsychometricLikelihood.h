#pragma once

#include "analysis/PsychometricData.h"
#include "analysis/PsychometricFit.h"

#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// The binomial log-likelihood of psi(x) = guess + (1 - guess - lapse) F(z) over trials pooled
/// per intensity, with z = beta (t - a): t is the intensity and a = alpha, or for the Weibull
/// t = ln x and a = ln alpha (F is then the Gumbel distribution of ln x). Parameters are
/// p = {a, ln beta, lapse}. Besides the value it gives the score and the Fisher information for
/// scoring steps, and the supremum over the limits the family approaches without reaching them
/// (steps and flat lines), where a likelihood without a maximum goes.
class PsychometricLikelihood {
public:
    /// Where the likelihood's supremum over the family's limits lies.
    struct Limit {
        /// The supremum of the log-likelihood over steps and flat lines.
        double logLikelihood = 0.0;
        /// Levels (sorted by intensity) held at the guess rate; the rest are at 1 - lapse,
        /// except the one at middle when there is one.
        std::size_t below = 0;
        /// A level between the two parts, at its own proportion; -1 when none.
        long middle = -1;
        /// True for a flat line at the overall proportion correct.
        bool flat = false;
        /// The flat line's proportion correct.
        double level = 0.0;
    };

    /// Pools levels per intensity (a Weibull needs them above 0) and sorts them.
    PsychometricLikelihood(const std::vector<PsychometricData::Level>& levels, PsychometricFit::Shape shape,
                           double guess);

    /// Number of distinct intensities.
    std::size_t size() const { return t_.size(); }
    /// The intensity of level i, in the data's units.
    double intensity(std::size_t i) const;
    /// Trials at level i.
    double trials(std::size_t i) const { return n_[i]; }
    ///@{
    /// Correct answers per level; the bootstrap replaces them.
    std::vector<double>& correct() { return k_; }
    const std::vector<double>& correct() const { return k_; }
    ///@}

    /// One level's psi, 1 - psi, their logarithms and psi's first and second derivatives
    /// (d/d(a, ln beta, lapse); second: aa, ab, bb, a lapse, b lapse, lapse lapse) at a point.
    /// Given them, the log-likelihood and its derivatives are linear in the correct counts.
    struct Local {
        double psi;     ///< psi
        double miss;    ///< 1 - psi
        double logPsi;  ///< ln psi
        double logMiss; ///< ln(1 - psi)
        double d[3];    ///< first derivatives of psi
        double dd[6];   ///< second derivatives of psi
    };
    /// The Local of every level at p.
    std::vector<Local> at(const double* p) const;

    /// psi at level i for parameters p.
    double probability(std::size_t i, const double* p) const;
    /// The log-likelihood (without the binomial coefficients).
    double value(const double* p) const;
    /// The log-likelihood, its gradient, and minus its Hessian (observed) and the expected
    /// information over the first dimensions parameters (2: a and ln beta; 3: the lapse rate
    /// too). The matrices are row-major 3 x 3.
    double score(const double* p, unsigned dimensions, double* gradient, double* observed,
                 double* expected) const;
    /// The same at a point whose Local values were computed before, with the current counts.
    double score(const std::vector<Local>& point, unsigned dimensions, double* gradient, double* observed,
                 double* expected) const;
    /// The log-likelihood of the saturated model (each level at its own proportion).
    double saturated() const;
    /// The supremum over steps and flat lines; a free lapse rate lies in [0, maximumLapse].
    Limit limit(bool freeLapse, double lapse, double maximumLapse) const;
    /// Why a likelihood whose supremum is this limit has no maximum, in words.
    std::string describe(const Limit& limit) const;

private:
    void local(std::size_t i, const double* p, Local& l) const;

    PsychometricFit::Shape shape_;
    double guess_;
    std::vector<double> t_, n_, k_;
};

} // namespace Analysis
} // namespace Stimora
