#pragma once

#include "experiment/Variable.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// The abstract experiment procedure. It fixes the order in which every procedure runs:
/// run() = takeName(), prepare(), runTrials(), finish(), each dispatched virtually, so an
/// override of any step takes effect inside run(). An experiment derives from Demo, Constant,
/// Staircase or Quest, supplies declareVariables() and runTrial(), and calls run() once.
///
/// The derived class makes its variables with new and appends them to independentVariables
/// or dependentVariables; the procedure then owns them and deletes them when destroyed.
class ExperimentalMethod {
public:
    ExperimentalMethod();
    ExperimentalMethod(const ExperimentalMethod&) = delete;
    ExperimentalMethod& operator=(const ExperimentalMethod&) = delete;

    /// Creates the variables and puts them into the two lists; may set repetitions,
    /// fileTemplate and headerNote.
    virtual void declareVariables() = 0;
    /// Everything between naming and the first trial.
    virtual void prepare() = 0;
    /// Presents one trial and sets the dependent variables from the observer's response.
    virtual void runTrial() = 0;
    /// Runs every trial of the procedure.
    virtual void runTrials() = 0;
    /// Called after saveResults(); does nothing unless overridden.
    virtual void afterSave();
    /// Everything after the last trial.
    virtual void finish() = 0;
    /// Writes the procedure's results.
    virtual void saveResults() = 0;
    /// Holds the first trial back until the observer is ready; does nothing here.
    virtual void waitForStart();
    /// Sets name, and the process-wide experiment name, from the object's dynamic type
    /// ("ContrastDetection", "Lab::Study"): the demangled qualified class name.
    virtual void takeName();
    /// Deletes every variable still in dependentVariables, then in independentVariables.
    virtual ~ExperimentalMethod();
    /// The whole experiment: takeName(), prepare(), runTrials(), finish(). Raises whatever a
    /// step raises.
    virtual void run();

    /// Variables with fewer than two levels, by label (byte-wise ascending; the first declared
    /// of a label wins); they keep one value for the whole run. Not owned through this map:
    /// a Constant keeps every variable it moved out of independentVariables until destroyed.
    std::map<std::string, Variable*> fixedVariables;
    /// Variables whose levels the procedure sets before each trial; owned.
    std::vector<Variable*> independentVariables;
    /// Variables recorded after each trial (the observer's responses); owned.
    std::vector<Variable*> dependentVariables;
    /// The experiment's name; filled by takeName().
    std::string name;
    /// The result file's name before path-token expansion.
    std::string fileTemplate;
    /// Free text written as the result file's second line.
    std::string headerNote;
    /// How many times each combination of levels is presented (0 or more).
    std::int32_t repetitions;
    /// Number of trials of the run; set when the trials start.
    std::int32_t trialCount;
    /// 1-based number of the trial being run; runTrial() may read it.
    std::int32_t currentTrial;

protected:
    /// The start screen on the current canvas: "Push space bar to start." a quarter of the way
    /// across and down, until the space bar is pushed (Escape does nothing), then a blank frame.
    static void showStartScreen();
};

} // namespace ExperimentalMethods
} // namespace Stimora
