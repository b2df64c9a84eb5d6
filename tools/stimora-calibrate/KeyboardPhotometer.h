#pragma once

#include <functional>
#include <string>

#include "devices/Photometer.h"

namespace Stimora {
class Canvas;
}

// Readings typed on the calibration screen itself, for an experimenter reading a hand-held
// photometer: the full-screen patch stays up with a line of text along its top edge, digits and
// '.' type, Left erases, Enter takes the number, Escape stops the calibration (its readings
// stay in the journal).
class KeyboardPhotometer : public Stimora::Photometer {
public:
    /// Types on canvas; draw paints the current patch (without flipping).
    KeyboardPhotometer(Stimora::Canvas& canvas, std::function<void()> draw);
    /// The question shown with the next reading.
    void setQuestion(const std::string& question) { ask = question; }
    /// The number typed, once Enter is pressed on a valid one. Escape raises std::runtime_error.
    double measure() override;
    /// "manual entry on the screen".
    std::string describe() const override { return "manual entry on the screen"; }

private:
    Stimora::Canvas& canvas;
    std::function<void()> draw;
    std::string ask;
};
