#pragma once

#include "experiment/ExperimentalMethod.h"
#include "experiment/ResultFile.h"
#include "experiment/VariableInstance.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// What the adaptive procedures (Staircase, Quest) share: one or more tracks, each placing
/// its next trial from the responses so far, interleaved in a random order drawn from the
/// framework's generator (seed() makes it reproducible) until every track has finished.
///
/// The experiment declares, in declareVariables(), the intensity as the first independent
/// variable (a VariableInstance<double>, which the procedure sets before each trial) and the
/// response as the first dependent variable (a VariableInstance<int> that runTrial() sets to
/// 1 for correct or 0 for wrong). Further dependent variables are recorded with each trial;
/// further independent variables must have at most one level and keep it for the run.
/// repetitions is not used: the tracks' own limits end the run.
///
/// The result file follows Constant's conventions (CR LF lines, a TAB after every field, the
/// same journal beside it while the trials run); its trial lines hold the trial number, the
/// track, the intensity, the response, the track's own columns and the other dependent
/// variables; the tracks' final estimates follow the trials.
class Adaptive : public ExperimentalMethod {
public:
    Adaptive();
    /// Releases the variables moved to fixedVariables, then the base.
    ~Adaptive() override;

    /// declareVariables(), checks the variables and every track (raising Exception
    /// "VARIABLE REQUIRED" or "ARGUMENT ERROR" saying what is wrong), then the start screen.
    void prepare() override;
    /// The trial loop. trialCount is the most trials the tracks allow until the loop ends,
    /// then the number run. Raises Exception "ARGUMENT ERROR" when a trial leaves a response
    /// other than 0 or 1, and "FILE ERROR" before any trial when no journal can be created.
    void runTrials() override;
    /// saveResults(), then afterSave().
    void finish() override;
    /// Writes the result file and removes the journal; "FILE ERROR" when it cannot.
    void saveResults() override;
    /// The same start screen as Constant's: the space bar starts the run.
    void waitForStart() override;

    /// Track (0-based) of each trial run so far, in order.
    const std::vector<int>& trackOfTrial() const { return tracks_; }
    /// The result file's name as expanded at the start of the trials (empty before).
    const std::string& resultPath() const { return results_.path(); }
    /// Where the journal was opened (empty before the trials start).
    const std::string& journalPath() const { return results_.journalPath(); }
    /// Where saveResults() wrote the result file (empty until it has).
    const std::string& savedPath() const { return results_.savedPath(); }

protected:
    /// Number of tracks declared.
    virtual int trackCount() const = 0;
    /// Checks every track's settings and resets its state; raises Exception on bad input.
    virtual void startTracks() = 0;
    /// Most trials the track can take before it finishes.
    virtual int trialLimit(int track) const = 0;
    /// True once the track needs no more trials.
    virtual bool finished(int track) const = 0;
    /// The intensity of the track's next trial, in the intensity variable's units.
    virtual double nextIntensity(int track) = 0;
    /// Takes the response (0 or 1) to a trial at intensity; returns the track's own fields
    /// for the trial's line, each followed by a TAB.
    virtual std::string respond(int track, double intensity, int response) = 0;
    /// Title of the track column ("STAIRCASE") followed by TAB.
    virtual std::string trackTitle() const = 0;
    /// Titles of the track's own columns, each followed by a TAB.
    virtual std::string trackColumns() const = 0;
    /// The lines that close the result file: the tracks' final estimates.
    virtual std::string estimateLines() const = 0;

    /// The intensity variable, set by prepare().
    VariableInstance<double>* intensity_ = nullptr;
    /// The response variable, set by prepare().
    VariableInstance<int>* response_ = nullptr;

private:
    std::string headerLines() const;
    std::string trialLine(int trial) const;

    std::vector<Variable*> retired_; // owned: variables moved to fixedVariables
    std::vector<int> tracks_;
    std::vector<std::string> fields_; // each trial's track fields
    ResultFile results_;
};

} // namespace ExperimentalMethods
} // namespace Stimora
