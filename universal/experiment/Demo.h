#pragma once

#include "experiment/ExperimentalMethod.h"
#include "experiment/VariableConsole.h"

namespace Stimora {
namespace ExperimentalMethods {

/// An interactive procedure: every independent variable starts at its middle level, a
/// VariableConsole over them is put into the canvas's overlay, and runTrial() runs once as
/// the experiment's own frame loop, while the observer changes the variables on screen
/// (arrow keys, Shift, or the mouse on the bars). Nothing is counted or written.
/// Destroy the Demo before its canvas (or after the canvas stopped being the default
/// drawing target).
class Demo : public ExperimentalMethod {
public:
    /// The base, then the console over independentVariables (it always shows the list's
    /// current contents).
    Demo();

    /// declareVariables(); each variable with L levels to level L / 2 (1 level: level 0;
    /// none: unchanged); the console into the overlay of the default drawing target when that
    /// is a canvas.
    void prepare() override;
    /// runTrial() once: the experiment's routine runs its own loop.
    void runTrials() override;
    /// saveResults(), then afterSave().
    void finish() override;
    /// Writes nothing.
    void saveResults() override;
    /// Takes the console out of the default drawing target's overlay, if that is a canvas,
    /// then destroys it and the base.
    ~Demo() override;

    /// The panel over independentVariables; its datum places it (top-left corner).
    VariableConsole console;
};

} // namespace ExperimentalMethods
} // namespace Stimora
