#pragma once

// Shared by the canvas's sources (set-up, frames, primitives, text); not part of the
// framework's interface.

#include <GL/gl.h>

namespace Stimora::detail {

constexpr double pi = 3.14159265358979323846;
// Character advance of the seven-segment font, and its size value (line height = size + 3).
constexpr double segmentAdvance = 12.0;
constexpr int segmentFontSize = 19;

// Saves the attributes (and optionally the model-view matrix) and puts them back however
// the scope is left, so a figure that throws mid-draw does not unbalance the GL stacks.
class SavedState {
public:
    explicit SavedState(bool matrix) : matrix_(matrix) {
        if (matrix_)
            glPushMatrix();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    }
    ~SavedState() {
        glPopAttrib();
        if (matrix_)
            glPopMatrix();
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    bool matrix_;
};

} // namespace Stimora::detail
