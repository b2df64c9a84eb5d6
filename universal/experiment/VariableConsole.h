#pragma once

#include <array>
#include <string>
#include <vector>

#include "display/Color.h"
#include "figures/FigureDatum.h"

namespace Stimora {
namespace ExperimentalMethods {

class Variable;
class VariableList;

/// An on-screen panel listing experiment variables one per 20-pixel row: each row shows the
/// label, the value as a bar 200 pixels long at full range and the value as text. Drawn by
/// the canvas over every frame while it is in the canvas's overlay; each draw is also one
/// step of its input: Right / Left change the selected variable by its step (Shift: the second
/// step), Up / Down move the selection (wrapping), and a press of the left mouse button on a
/// bar sets that variable from the pointer's position along it. The datum is the panel's
/// top-left corner.
class VariableConsole : public FigureDatum {
public:
    ///@{
    /// Palette slots: indices into colors.
    static constexpr int selectedText = 0;
    static constexpr int otherText = 1;
    static constexpr int background = 2;
    static constexpr int bar = 3;
    static constexpr int hoveredBar = 4;
    ///@}

    ///@{
    /// The variables shown, in order (not owned; read afresh at every draw). Exactly one of
    /// the two is set.
    VariableList* variables = nullptr;
    std::vector<Variable*>* variableArray = nullptr;
    ///@}
    /// The row the arrow keys act on.
    int selected = 0;
    /// The row under the pointer as of the last draw with the mouse button up; may lie
    /// outside the panel's rows.
    int hovered = 0;
    /// Selected-row text (white), other text (grey 0.7), background (0.5, 0.5, 0.5, 0.5),
    /// bar (0.2, 0.2, 8.0, 0.4: the blue saturates when drawn), hovered bar (0, 0, 1, 0.6).
    std::array<Color, 5> colors;

    /// A console over a variable list (such as the global one); datum at (0, 0, 0).
    explicit VariableConsole(VariableList* list);
    /// A console over a plain list of variable pointers (such as a procedure's).
    explicit VariableConsole(std::vector<Variable*>* list);
    ~VariableConsole() override;

    /// Handles the keys and the mouse, then draws the panel on target (bars on the default
    /// drawing target, texts with the current canvas's message). Nothing at all, input
    /// included, while the list is empty.
    VariableConsole& draw(Drawable& target = defaultTarget()) override;

    /// Number of variables in the list now.
    int size() const;
    /// Variable of row k (0-based, unchecked).
    Variable& row(int k) const;

    /// The value text as drawn: right-aligned in 30 characters ("%30s"); a text of 30
    /// characters or more is cut to its first 30. buffer must hold 31 characters.
    static const char* valueField(const std::string& text, char (&buffer)[31]);

private:
    void initializePalette();
};

} // namespace ExperimentalMethods
} // namespace Stimora
