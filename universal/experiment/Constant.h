#pragma once

#include "experiment/ExperimentalMethod.h"
#include "experiment/ResultFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// The method of constant stimuli: every combination of the levels of the independent
/// variables is presented repetitions times in a random order drawn from the framework's
/// generator (seed() makes it reproducible); the dependent variables are recorded after each
/// trial, and a tab-separated result file (CR LF line ends) is written at the end.
///
/// While the trials run, a journal with the same lines, flushed after every trial, is kept
/// beside the result file under its name plus ".partial", so a run that ends early leaves its
/// finished trials on disk; the journal is removed once the result file is complete.
class Constant : public ExperimentalMethod {
public:
    Constant();

    /// Checks the variables, moves those with fewer than two levels to fixedVariables,
    /// prepares the records, shuffles the trials and shows the start screen. Raises
    /// Exception "VARIABLE REQUIRED" without an independent or a dependent variable, and
    /// "ARGUMENT ERROR" for a negative repetitions.
    void prepare() override;
    /// The trial loop: sets the independent variables from each trial's code, runs the trial,
    /// records the dependent variables and appends the trial to the journal. Expands
    /// fileTemplate once, first; raises Exception "FILE ERROR" naming the path, before any
    /// trial, when the journal can be created neither beside the result file nor in the
    /// user's home folder.
    void runTrials() override;
    /// saveResults(), then afterSave().
    void finish() override;
    /// Writes the result file (falling back to the same file name in the user's home folder);
    /// raises Exception "FILE ERROR" naming the path when neither can be created.
    void saveResults() override;
    /// The start screen on the current canvas: "Push space bar to start." until the space
    /// bar is pushed, then a blank frame.
    void waitForStart() override;
    /// Releases trialOrder and the variables moved to fixedVariables, then the base. A journal
    /// left by a run that ended early stays on disk.
    ~Constant() override;

    /// Level index of variable `position` (list order) in a trial of combination code `code`:
    /// a mixed-radix digit whose least significant place belongs to the first variable.
    int levelOf(std::int32_t code, std::size_t position) const;
    /// The result file's name as expanded at the start of the trials (empty before).
    const std::string& resultPath() const { return results_.path(); }
    /// Where the journal was opened: resultPath() + ".partial", or that file name in the
    /// user's home folder when the first could not be created (empty before the trials start).
    std::string journalPath() const { return results_.journalPath(); }
    /// Where saveResults() wrote the result file (empty until it has).
    const std::string& savedPath() const { return results_.savedPath(); }

    /// Combination code of each trial, in the order of presentation.
    std::vector<std::int32_t> trialOrder;

private:
    std::string headerLines() const;
    std::string trialLine(int trial) const;

    std::vector<Variable*> retired_; // owned: variables moved to fixedVariables
    ResultFile results_;
};

} // namespace ExperimentalMethods
} // namespace Stimora
