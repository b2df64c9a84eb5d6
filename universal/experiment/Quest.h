#pragma once

#include "experiment/Adaptive.h"
#include "experiment/QuestPosterior.h"

#include <limits>
#include <string>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// QUEST, Watson and Pelli's Bayesian adaptive method (1983): each trial is placed at the
/// posterior mean, mode or a quantile of the threshold given the responses so far, and the
/// posterior is updated after every trial (see QuestPosterior). Intensities are log10 units:
/// the intensity variable carries log10 of the stimulus quantity (for instance log10 contrast).
///
/// An experiment derives from Quest, declares the intensity and response variables (see
/// Adaptive), puts one or more Track settings into quests in declareVariables(), and calls
/// run(). Several QUESTs are interleaved in a random order. The result file's trial lines
/// carry the posterior mean and sd after the trial; its last lines the final mean and sd.
class Quest : public Adaptive {
public:
    /// Where the next trial goes.
    enum class Placement {
        mean,     ///< the posterior mean (King-Smith et al. 1994)
        mode,     ///< the most probable threshold (Watson and Pelli 1983)
        quantile, ///< the posterior quantile of quantileOrder
    };

    /// One QUEST's settings.
    struct Track {
        QuestPosterior::Parameters model; ///< prior and psychometric function
        /// Where its trials go.
        Placement placement = Placement::mean;
        double quantileOrder = 0.5;                                ///< for Placement::quantile, 0 to 1
        int trials = 40;                                           ///< the QUEST stops after this many trials
        double minimum = -std::numeric_limits<double>::infinity(); ///< lowest log10 intensity placed
        double maximum = std::numeric_limits<double>::infinity();  ///< highest log10 intensity placed
    };

    /// The QUESTs of the run, declared in declareVariables().
    std::vector<Track> quests;

    /// The posterior of a QUEST (0-based) after the trials so far; valid once prepare() has run.
    const QuestPosterior& posterior(int track) const {
        return posteriors_.at(static_cast<std::size_t>(track));
    }

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
    std::vector<QuestPosterior> posteriors_;
};

} // namespace ExperimentalMethods
} // namespace Stimora
