#pragma once

// Shared by the canvas's sources (set-up, frames, primitives, text); not part of the
// framework's interface.

#include <GL/gl.h>

namespace Stimora::detail {

constexpr double pi = 3.14159265358979323846;
// Character advance of the seven-segment font, and its size value (line height = size + 3).
constexpr double segmentAdvance = 12.0;
constexpr int segmentFontSize = 19;

// Segment masks by character code; bit j draws segment j.
constexpr unsigned char segmentMask(int code) {
    constexpr unsigned char digits[10] = {119, 36, 93, 109, 46, 107, 123, 39, 127, 47};
    constexpr unsigned char letters[10] = {63, 122, 83, 124, 91, 27, 115, 62, 32, 100};
    if (code >= '0' && code <= '9')
        return digits[code - '0'];
    if (code >= 'A' && code <= 'J')
        return letters[code - 'A'];
    if (code == '-')
        return 8;
    if (code == 'O' || code == '!')
        return 119;
    return 0;
}
// Segments as integer end points on the 8 x 16 cell, baseline y = 0, top y = -16.
constexpr int segments[7][4] = {{1, -16, 8, -16}, {0, -15, 0, -8}, {8, -15, 8, -8}, {1, -8, 8, -8},
                                {0, -7, 0, 0},    {8, -7, 8, 0},   {1, 0, 8, 0}};

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
