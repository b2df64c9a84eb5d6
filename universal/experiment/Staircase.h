#pragma once

#include "experiment/Adaptive.h"

#include <limits>
#include <string>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// Up-down staircases: after `down` correct responses in a row the intensity goes one step
/// down, after `up` wrong ones one step up (1-up-2-down converges on 70.7 % correct, 1-up-3-down
/// on 79.4 %). Each change of direction is a reversal; the step size moves on to the next in
/// the list at each reversal, the last one staying. A staircase stops after its reversals or
/// its trials, whichever comes first; its threshold is the mean of its last reversal values,
/// taken in the step space (so a geometric mean for log10 or decibel steps).
///
/// An experiment derives from Staircase, declares the intensity and response variables (see
/// Adaptive), puts one or more Track settings into staircases in declareVariables(), and
/// calls run(). Several staircases are interleaved in a random order.
class Staircase : public Adaptive {
public:
    /// The space the steps are taken in.
    enum class Scale {
        linear,  ///< steps add to the intensity
        log10,   ///< steps add to log10 of the intensity (which must stay positive)
        decibel, ///< steps add to 20 log10 of the intensity
    };

    /// One staircase's rule.
    struct Track {
        double start = 0.0;          ///< first intensity, in the intensity variable's units
        std::vector<double> steps;   ///< step sizes in the scale's units, all positive
        Scale scale = Scale::linear; ///< how a step changes the intensity
        int down = 2;                ///< correct responses in a row that lower the intensity
        int up = 1;                  ///< wrong responses in a row that raise it
        double minimum = -std::numeric_limits<double>::infinity(); ///< lowest intensity
        double maximum = std::numeric_limits<double>::infinity();  ///< highest intensity
        int reversals = 12; ///< the staircase stops after this many reversals
        int trials = 100;   ///< or after this many trials
        int averaged = 6;   ///< last reversals averaged into the threshold
    };

    /// The staircases of the run, declared in declareVariables().
    std::vector<Track> staircases;

    /// Threshold of a staircase (0-based): the mean of its last `averaged` reversal values (of
    /// all, when it has fewer) in the step space, in the intensity's units; NaN without reversals.
    double threshold(int track) const;
    /// Intensities at which the staircase reversed, in order.
    std::vector<double> reversalValues(int track) const;

protected:
    int trackCount() const override;
    void startTracks() override;
    int trialLimit(int track) const override;
    bool finished(int track) const override;
    double nextIntensity(int track) override;
    std::string respond(int track, double intensity, int response) override;
    std::string trackTitle() const override;
    std::string trackColumns() const override;
    std::string estimateLines() const override;

private:
    struct Progress {
        double level = 0;  // current intensity in the step space
        double lowest = 0; // bounds in the step space
        double highest = 0;
        std::size_t step = 0;
        int correctRun = 0;
        int wrongRun = 0;
        int direction = 0; // of the last change: -1 down, +1 up, 0 none yet
        int trials = 0;
        std::vector<double> reversals; // step space
    };

    double toSteps(const Track& track, double value) const;
    double fromSteps(const Track& track, double level) const;
    void refuse(int track, const std::string& what) const;

    std::vector<Progress> progress_;
};

} // namespace ExperimentalMethods
} // namespace Stimora
