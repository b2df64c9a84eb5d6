#pragma once

#include <string>
#include <vector>

#include "figures/Rectangle.h"

namespace Stimora {

struct DisplayPlace;

/// One monitor as the platform reports it. A plain value: copies carry every field,
/// the platform handle included (it names the monitor and owns nothing).
class Display {
public:
    /// Platform monitor handle: the SDL display index; -1 for a record that names no monitor.
    int handle = -1;
    ///@{
    /// Size in desktop pixels.
    int width = 0;
    int height = 0;
    ///@}
    /// Bits per pixel of the current mode.
    int colorDepth = 0;
    /// Hz as the platform reports it; 0 where it does not know (a canvas then takes 60 Hz).
    double refreshRate = 0.0;
    /// The platform's name for the monitor.
    std::string deviceName;
    /// The work area in desktop pixels, inclusive edges (area.getWidth() is its width).
    Rectangle area;

    /// The first monitor of a fresh enumeration; a record with handle -1 where there is none.
    static Display primary();
    /// Where a canvas on this monitor opens, as the platform takes it.
    operator DisplayPlace() const;
};

/// Every monitor the platform reports, in its order (empty where video cannot start).
std::vector<Display> enumerateDisplays();

} // namespace Stimora
