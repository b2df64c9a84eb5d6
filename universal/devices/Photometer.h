#pragma once

#include <string>

namespace Stimora {

/// An instrument that reads the luminance of what the display shows: a photometer on a serial
/// line, an experimenter typing readings, or a simulation. Readings are in cd/m².
class Photometer {
public:
    virtual ~Photometer() = default;
    /// One reading of the luminance shown now, in cd/m². Raises an Exception naming the
    /// instrument when it cannot give one (no answer in time, an answer that is no reading).
    virtual double measure() = 0;
    /// What the instrument is, for messages and the calibration's records.
    virtual std::string describe() const = 0;
};

} // namespace Stimora
