#pragma once

#include "experiment/VariableConsole.h"

namespace Stimora {

class Canvas;

namespace ExperimentalMethods {

/// Runs an experiment routine with the variable console over every registered variable shown
/// on the canvas's overlay and the software mouse cursor on. The routine runs its own frame
/// loop; run() returns when it returns.
class ProcedureHost {
public:
    /// A routine without arguments (it draws on the current canvas).
    using Routine = void (*)();
    /// A routine given the canvas to draw on.
    using CanvasRoutine = void (*)(Canvas&);

    /// The console over the global variable list.
    VariableConsole console;
    /// Set by setRoutine(Routine).
    Routine routine = nullptr;
    /// Set by setRoutine(CanvasRoutine).
    CanvasRoutine canvasRoutine = nullptr;
    /// 1 after setRoutine(Routine), 2 after setRoutine(CanvasRoutine), 0 before either.
    int mode = 0;
    /// Non-zero keeps the console off the screen.
    int consoleHidden = 0;

    /// A console over the global variable list; no routine yet.
    ProcedureHost();
    /// Destroys the console; where it is still registered in the overlay group or in the
    /// default drawing target's overlay, it is taken out first so no dangling entry remains.
    ~ProcedureHost();
    ProcedureHost(const ProcedureHost&) = delete;
    ProcedureHost& operator=(const ProcedureHost&) = delete;

    /// consoleHidden = flag.
    void hideConsole(int flag);
    /// Stores a routine without arguments; mode 1.
    void setRoutine(Routine routine);
    /// Stores a canvas routine; mode 2.
    void setRoutine(CanvasRoutine canvasRoutine);
    /// Mode 1 only: unless hidden, registers the console for the overlay (the overlay group
    /// while no canvas exists) and shows the software cursor; then calls the routine.
    void run();
    /// Mode 2 only: unless hidden, appends the console to canvas's overlay; shows the software
    /// cursor in any case; then calls the routine with canvas.
    void run(Canvas& canvas);
};

} // namespace ExperimentalMethods
} // namespace Stimora
