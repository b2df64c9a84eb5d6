#include "analysis/PsychometricFit.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

using namespace Stimora::Analysis;
using Shape = PsychometricFit::Shape;
using Levels = std::vector<PsychometricData::Level>;

namespace {

// k ~ Binomial(n, psi) at each intensity.
Levels simulate(const Levels& design, Shape shape, double alpha, double beta, double guess,
                std::mt19937_64& rng) {
    Levels data = design;
    for (auto& level : data) {
        std::binomial_distribution<int> draw(
            level.trials, PsychometricFit::probability(shape, level.intensity, alpha, beta, guess, 0.0));
        level.correct = draw(rng);
    }
    return data;
}

// The likelihood's optimum by a plain grid search over (alpha, beta[, lapse]), zooming in around
// the best point nine times.
std::vector<double> gridOptimum(const Levels& data, Shape shape, double guess, bool freeLapse,
                                std::vector<double> low, std::vector<double> high) {
    std::vector<double> best(3, 0.0);
    const int steps = 40;
    for (int zoom = 0; zoom < 9; ++zoom) {
        double bestValue = -INFINITY;
        const int lapseSteps = freeLapse ? steps : 0;
        for (int i = 0; i <= steps; ++i)
            for (int j = 0; j <= steps; ++j)
                for (int k = 0; k <= lapseSteps; ++k) {
                    const double a = low[0] + (high[0] - low[0]) * i / steps;
                    const double b = low[1] + (high[1] - low[1]) * j / steps;
                    const double l = freeLapse ? low[2] + (high[2] - low[2]) * k / steps : 0.0;
                    const double value = PsychometricFit::logLikelihood(data, shape, a, b, guess, l);
                    if (value > bestValue) {
                        bestValue = value;
                        best = {a, b, l};
                    }
                }
        for (int d = 0; d < 3; ++d) {
            const double span = (high[d] - low[d]) / 8;
            low[d] = std::max(d == 2 ? 0.0 : -INFINITY, best[d] - span);
            high[d] = std::min(d == 2 ? 0.06 : INFINITY, best[d] + span);
        }
    }
    return best;
}

} // namespace

TEST(PsychometricFit, EstimatesAreTheLikelihoodsOptimumFoundOnAGrid) {
    const Levels data = {{0.5, 40, 21}, {1.0, 40, 26}, {1.5, 40, 31}, {2.0, 40, 37}, {3.0, 40, 39}};
    PsychometricFit::Options options;
    options.bootstrap = 0;
    options.freeLapse = false;
    const auto weibull = PsychometricFit::fit(data, options);
    ASSERT_TRUE(weibull.converged) << weibull.message;
    const auto grid = gridOptimum(data, Shape::weibull, 0.5, false, {0.2, 0.3, 0}, {4, 8, 0});
    EXPECT_NEAR(weibull.alpha, grid[0], 1e-4);
    EXPECT_NEAR(weibull.beta, grid[1], 1e-4);

    options.shape = Shape::logistic;
    options.freeLapse = true;
    const auto logistic = PsychometricFit::fit(data, options);
    ASSERT_TRUE(logistic.converged) << logistic.message;
    const auto grid3 = gridOptimum(data, Shape::logistic, 0.5, true, {0, 0.2, 0}, {3, 10, 0.06});
    EXPECT_NEAR(logistic.alpha, grid3[0], 1e-4);
    EXPECT_NEAR(logistic.beta, grid3[1], 1e-4);
    EXPECT_NEAR(logistic.lapse, grid3[2], 1e-4);
    // The threshold is where psi reaches the middle of the guess rate and 1.
    EXPECT_NEAR(PsychometricFit::probability(Shape::logistic, logistic.threshold, logistic.alpha,
                                             logistic.beta, 0.5, logistic.lapse),
                0.75, 1e-9);
}

TEST(PsychometricFit, BootstrapIntervalsHoldTheTrueThresholdInNineOfTen) {
    const Levels design = {{0.4, 100, 0}, {0.7, 100, 0}, {1.0, 100, 0}, {1.4, 100, 0}, {2.0, 100, 0}};
    for (Shape shape : {Shape::weibull, Shape::logistic}) {
        const double alpha = 1.0, beta = shape == Shape::weibull ? 3.0 : 4.0;
        PsychometricFit::Options options;
        options.shape = shape;
        options.freeLapse = false;
        options.bootstrap = 200;
        const double f = 0.5; // psi = 0.75
        const double truth = shape == Shape::weibull ? alpha * std::pow(std::log(2.0), 1 / beta)
                                                     : alpha + std::log(f / (1 - f)) / beta;
        std::mt19937_64 rng(20261208);
        int covered = 0;
        for (int set = 0; set < 100; ++set) {
            options.seed = static_cast<std::uint64_t>(set) + 1;
            const auto result =
                PsychometricFit::analyse(simulate(design, shape, alpha, beta, 0.5, rng), options);
            covered += result.thresholdLow <= truth && truth <= result.thresholdHigh;
        }
        std::printf("%s: %d of 100 intervals hold the true threshold\n", PsychometricFit::name(shape).c_str(),
                    covered);
        EXPECT_GE(covered, 90) << PsychometricFit::name(shape);
    }
}

TEST(PsychometricFit, SaysWhenItCannotConvergeAndRefusesTooFewIntensities) {
    // Chance at 1, perfect from 2: the likelihood keeps growing as the step steepens.
    const Levels perfect = {{1, 20, 10}, {2, 20, 20}, {3, 20, 20}};
    PsychometricFit::Options options;
    options.bootstrap = 0;
    const auto e = PsychometricFit::fit(perfect, options);
    EXPECT_FALSE(e.converged);
    EXPECT_NE(e.message.find("step"), std::string::npos) << e.message;
    EXPECT_THROW(PsychometricFit::fit({{1, 20, 10}}, options), Stimora::Exception);
    EXPECT_THROW(PsychometricFit::fit({{0, 20, 10}, {1, 20, 15}}, options), Stimora::Exception);
}
