#pragma once

#include <cstdio>
#include <string>

#include "devices/Photometer.h"

namespace Stimora {

/// Readings typed by the experimenter from a hand-held photometer: each measure() asks on one
/// stream and reads a line from another (standard input by default, so readings can also be
/// piped in). A line that is no number is asked for again.
class ManualPhotometer : public Photometer {
public:
    /// Reads from input and asks on prompt (neither is owned).
    explicit ManualPhotometer(std::FILE* input = stdin, std::FILE* prompt = stderr);
    /// Asks for a reading and returns it. Raises an Exception "DEVICE ERROR" when the input ends.
    double measure() override;
    /// "manual entry".
    std::string describe() const override { return "manual entry"; }
    /// Sets the question shown before the next reading (such as which patch is on screen).
    void setQuestion(const std::string& question) { ask = question; }

private:
    std::FILE* in;
    std::FILE* out;
    std::string ask = "Luminance (cd/m2): ";
};

} // namespace Stimora
