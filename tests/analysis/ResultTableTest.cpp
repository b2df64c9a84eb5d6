#include "analysis/ResultTable.h"
#include "analysis/FrameTimes.h"
#include "analysis/PsychometricData.h"

#include "ExpectException.h"

#include <gtest/gtest.h>

using namespace Stimora::Analysis;
using Stimora::Testing::raised;

namespace {

const std::string staircase =
    "Stair\r\nnote\r\nWavelength\t20;\t\r\n"
    "TRIAL#\tSTAIRCASE\tContrast\tCorrect\tREVERSAL\tAnswer\t\r\n"
    "1\t1\t0.1\t1\t0\t1\t\r\n2\t2\t0.1\t0\t0\t2\t\r\n3\t1\t0.05\t1\t1\t1\t\r\n"
    "4\t2\t0.2\t1\t0\t1\t\r\n"
    "STAIRCASE\tTHRESHOLD\tREVERSALS\tTRIALS\t\r\n1\t0.07\t1\t2\t\r\n2\tnan\t0\t2\t\r\n";

std::string messageOf(const std::string& text, const std::string& path = "run.dat") {
    return raised([&] { ResultTable::parse(text, path); }).message();
}

} // namespace

TEST(ResultTable, ReadsAStaircaseFileAndGroupsItsTrialsByIntensity) {
    const ResultTable table = ResultTable::parse(staircase, "stair.dat");
    EXPECT_EQ(table.procedure(), ResultTable::Procedure::staircase);
    EXPECT_EQ(table.experiment(), "Stair");
    EXPECT_EQ(table.fixed().at("Wavelength"), "20");
    EXPECT_EQ(table.intensityLabel(), "Contrast");
    EXPECT_EQ(table.responseLabel(), "Correct");
    ASSERT_EQ(table.trials().size(), 4u);
    ASSERT_EQ(table.estimates().size(), 2u);
    EXPECT_EQ(table.estimates()[0].fields[1], "0.07");

    const auto all = PsychometricData::group(table, "Contrast", "Correct", {});
    ASSERT_EQ(all.size(), 1u);
    ASSERT_EQ(all[0].levels.size(), 3u); // 0.05, 0.1 (twice), 0.2
    EXPECT_EQ(all[0].levels[1].trials, 2);
    EXPECT_EQ(all[0].levels[1].correct, 1);
    const auto byTrack = PsychometricData::group(table, "Contrast", "Correct", {"STAIRCASE"});
    ASSERT_EQ(byTrack.size(), 2u);
    EXPECT_EQ(byTrack[1].name, "STAIRCASE=2");

    // A journal holds the same trials and no estimates.
    const std::string journal = staircase.substr(0, staircase.find("STAIRCASE\tTHRESHOLD"));
    const ResultTable partial = ResultTable::parse(journal, "stair.dat.partial");
    EXPECT_TRUE(partial.partial());
    EXPECT_EQ(partial.trials().size(), 4u);
    EXPECT_TRUE(partial.estimates().empty());
}

TEST(ResultTable, BadInputIsNamedByFileAndLine) {
    const std::string head = "E\r\n\r\n\r\nTRIAL#\tContrast\tCorrect\t\r\n";
    EXPECT_EQ(messageOf("E\r\nnote\r\n"),
              "run.dat:3: the file ends before its column header (name, note, fixed "
              "variables, then the columns).");
    EXPECT_EQ(messageOf(head), "run.dat:5: the file holds no trials.");
    EXPECT_EQ(messageOf(head + "1\t0.1\t1\t\r\n2\t0.1\t\r\n"),
              "run.dat:6: a trial line has 2 fields; the header has 3.");
    const ResultTable table =
        ResultTable::parse(head + "1\t0.1\t1\t\r\n2\tlow\t0\t\r\n3\t0.2\t2\t\r\n", "run.dat");
    EXPECT_EQ(raised([&] { PsychometricData::group(table, "Contrast", "Correct", {}); }).message(),
              "run.dat:6: \"low\" in column \"Contrast\" is not a number.");
    EXPECT_EQ(raised([&] { PsychometricData::group(table, "Size", "Correct", {}); }).message(),
              "run.dat:4: there is no column \"Size\".");
    const ResultTable wrongAnswer = ResultTable::parse(head + "1\t0.1\t1\t\r\n2\t0.2\t2\t\r\n", "run.dat");
    EXPECT_EQ(raised([&] { PsychometricData::group(wrongAnswer, "Contrast", "Correct", {}); }).message(),
              "run.dat:6: the response \"2\" in column \"Correct\" is neither 0 (wrong) nor 1 (correct).");
}

TEST(FrameTimes, ReadsALogAndFindsTheRefreshPeriodThroughHeldFramesAndDrops) {
    const std::string log = "index\tframes\tonset_ms\tinterval_ms\tmissed\r\n0\t2\t0\t0\t0\r\n"
                            "1\t1\t33.4\t33.4\t0\r\n2\t1\t50.0\t16.6\t0\r\n3\t1\t100.1\t50.1\t2\r\n"
                            "4\t1\t116.8\t16.7\t0\r\n";
    // The devices' marks after the flips are not flips.
    const std::string marks =
        "\r\nmark\tflip\tkind\tvalue\tscheduled_ms\treported_ms\r\n0\t1\ttrigger\t7\t33.4\t33.5\r\n";
    const FrameTimes times = FrameTimes::parse(log + marks, "frames.tsv");
    ASSERT_EQ(times.flips().size(), 5u);
    EXPECT_EQ(times.drops(), 2);
    // Per refresh: 33.4 / 2, 16.6, 50.1 / 3, 16.7 -> median 16.7.
    EXPECT_NEAR(times.nominalPeriod(), 16.7, 1e-9);
    EXPECT_EQ(raised([&] { FrameTimes::parse(log + "5\t1\tx\t1\t0\r\n", "frames.tsv"); }).message(),
              "frames.tsv:7: \"x\" in column onset_ms is not a number.");
}
