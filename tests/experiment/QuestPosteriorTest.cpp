#include "experiment/QuestPosterior.h"

#include "ExpectException.h"

#include <gtest/gtest.h>

#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using Stimora::Testing::raised;

// Three grid points, two trials, worked with the published formulas (beta 3.5, delta 0.01,
// gamma 0.5, pThreshold 0.82; guess 0, sd 0.1, grain 0.1, range 0.2 -> x = -0.1, 0, 0.1):
//  prior exp(-x^2 / 2 sd^2) = e^-0.5, 1, e^-0.5, normalised: 0.274069, 0.451863, 0.274069.
//  W(x) = 0.005 + 0.99 (1 - 0.5 exp(-10^(3.5 x))) on x2 = -0.2 .. 0.2:
//    0.589536, 0.678326, 0.812900, 0.942236, 0.991704.
//  0.82 lies between x2 = 0 and 0.1: xThreshold = 0.1 (0.82 - 0.812900) / (0.942236 - 0.812900)
//    = 0.00548983; W(x2 + xThreshold) = 0.593179, 0.684660, 0.820954, 0.947317, 0.992373.
//  Trial 1, intensity 0, correct: likelihood at (intensity - x) = 0.1, 0, -0.1:
//    0.274069 x 0.947317, 0.451863 x 0.820954, 0.274069 x 0.684660 -> 0.317306, 0.453366, 0.229328.
//  Trial 2, intensity 0.1, wrong: 1 - W at 0.2, 0.1, 0 = 0.007627, 0.052683, 0.179046
//    -> 0.035927, 0.354553, 0.609521.
//  mean = 0.1 (0.609521 - 0.035927) = 0.0573594; sd = sqrt(0.01 (0.645448) - 0.0573594^2)
//    = 0.0562527; mode 0.1; cumulative 0.035927, 0.390479, 1: the 0.5 quantile is
//    0 + 0.1 (0.5 - 0.390479) / 0.609521 = 0.0179683. (Digits below: the same sums unrounded.)
TEST(QuestPosterior, ThreePointGridMatchesTheHandComputation) {
    QuestPosterior::Parameters p; // guess 0
    p.guessSd = 0.1;
    p.grain = 0.1;
    p.range = 0.2;
    QuestPosterior q(p);
    ASSERT_EQ(q.gridPoints(), 3);
    q.update(0.0, 1);
    q.update(0.1, 0);
    EXPECT_NEAR(q.mean(), 0.057359420456399, 1e-9);
    EXPECT_NEAR(q.sd(), 0.056252740042434, 1e-9);
    EXPECT_NEAR(q.mode(), 0.1, 1e-12);
    EXPECT_NEAR(q.quantile(0.5), 0.017968344450659, 1e-9);
    EXPECT_NEAR(q.probabilityCorrect(0.0, 0.0), 0.820953649232250, 1e-12);
}

// Published reference values for eight trials on the default grid (grain 0.01, range 5).
TEST(QuestPosterior, EightTrialsMatchTheReferenceFormulation) {
    QuestPosterior::Parameters p;
    p.guess = -1;
    p.guessSd = 2;
    QuestPosterior q(p);
    EXPECT_EQ(q.gridPoints(), 501);
    const double intensities[] = {-1, -1.2, -1.4, -1.3, -1.35, -1.5, -1.6, -1.45};
    const int responses[] = {1, 1, 0, 1, 1, 1, 0, 1};
    const double expected[8][4] = {
        {-1.356631704776, 1.241629197480, -1.22, -1.482931019558},
        {-1.663010741526, 1.132688110957, -1.40, -1.788239174855},
        {-0.406702833176, 0.874114137235, -1.21, -0.605927894597},
        {-0.551614934113, 0.894765503550, -1.27, -0.842955400401},
        {-0.707111765221, 0.907644701122, -1.32, -1.046421362290},
        {-0.838754470073, 0.936762271844, -1.34, -1.148897912929},
        {-0.642450439580, 0.828344642868, -1.32, -1.030251905864},
        {-0.738744186335, 0.812420783714, -1.35, -1.134438810887},
    };
    for (int t = 0; t < 8; ++t) {
        q.update(intensities[t], responses[t]);
        EXPECT_NEAR(q.mean(), expected[t][0], 1e-9) << "trial " << t + 1;
        EXPECT_NEAR(q.sd(), expected[t][1], 1e-9) << "trial " << t + 1;
        EXPECT_NEAR(q.mode(), expected[t][2], 1e-9) << "trial " << t + 1;
        EXPECT_NEAR(q.quantile(0.5), expected[t][3], 1e-9) << "trial " << t + 1;
    }
}

TEST(QuestPosterior, BadParametersAndResponsesAreRefusedSayingWhatIsWrong) {
    const auto refusal = [](void (*change)(QuestPosterior::Parameters&)) {
        QuestPosterior::Parameters p;
        change(p);
        return raised([&] { QuestPosterior q(p); }).message();
    };
    EXPECT_EQ(refusal([](QuestPosterior::Parameters& p) { p.guessSd = 0; }),
              "QUEST's prior sd must be positive (got 0).");
    EXPECT_EQ(refusal([](QuestPosterior::Parameters& p) { p.grain = -0.01; }),
              "QUEST's grain must be positive (got -0.01).");
    EXPECT_EQ(refusal([](QuestPosterior::Parameters& p) { p.range = 0; }),
              "QUEST's range must be positive (got 0).");
    EXPECT_EQ(
        refusal([](QuestPosterior::Parameters& p) { p.grain = 1e-5; }),
        "QUEST's grid would have 500001 points, more than 100,000: use a coarser grain or a smaller range.");
    EXPECT_NE(refusal([](QuestPosterior::Parameters& p) {
                  p.thresholdProbability = 0.999;
              }).find("0.999 lies outside"),
              std::string::npos);
    // The largest odd grid within the limit is allowed.
    QuestPosterior::Parameters wide;
    wide.range = 999.98;
    EXPECT_EQ(QuestPosterior(wide).gridPoints(), 99999);
    QuestPosterior q{QuestPosterior::Parameters()};
    const Exception error = raised([&] { q.update(-1, 2); });
    EXPECT_EQ(error.kind(), "ARGUMENT ERROR");
    EXPECT_EQ(error.message(), "A response must be 0 (wrong) or 1 (correct), not 2.");
    EXPECT_EQ(q.trials(), 0);
}

// Beyond guess +- range / 2 the published formulation moves the whole likelihood window to the
// end of its table (mean -1.359634134049 by that formulation), and says so once.
TEST(QuestPosterior, AnIntensityOutsideTheWindowShiftsItAsPublishedAndWarnsOnce) {
    QuestPosterior::Parameters p;
    p.guess = -1;
    QuestPosterior q(p);
    testing::internal::CaptureStderr();
    q.update(-1, 1);
    q.update(2.0, 1);
    EXPECT_NEAR(q.mean(), -1.359634134049, 1e-9);
    q.update(2.5, 1);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("QUEST intensity 2.000 lies outside -3.50 to 1.50"), std::string::npos)
        << warnings;
    EXPECT_EQ(warnings.find("2.500"), std::string::npos) << warnings;
}
