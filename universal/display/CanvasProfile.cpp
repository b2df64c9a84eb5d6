// Canvas: a monitor profile taken for this canvas, and visual angle on it.
#include "display/Canvas.h"

#include <cmath>
#include <cstdio>
#include <typeinfo>

#include "base/Exception.h"
#include "display/MonitorProfile.h"

namespace Stimora {

namespace {

std::string mode(int width, int height, double rate) {
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d at %.3g Hz", width, height, rate);
    return text;
}

} // namespace

Canvas& Canvas::useProfile(const MonitorProfile& profile, bool acceptMismatch) {
    const int w = getWidth(), h = getHeight();
    const double rate = getRefreshRate();
    const bool same =
        w == profile.pixelWidth && h == profile.pixelHeight && std::fabs(rate - profile.refreshRate) < 0.5;
    if (!same && !acceptMismatch)
        throw Exception(typeid(Canvas), "PROFILE ERROR",
                        "Monitor profile \"" + profile.name + "\" was made for " +
                            mode(profile.pixelWidth, profile.pixelHeight, profile.refreshRate) +
                            ", but the canvas is " + mode(w, h, rate) +
                            " (accept the mismatch explicitly to use it anyway).");
    // Calibrate first: it is the step that can fail, and the geometry then stays as it was.
    if (profile.calibrated())
        profile.applyCalibration();
    // A full-screen canvas of another resolution still fills the same physical screen.
    return setGeometry(profile.widthCm, profile.heightCm, profile.distanceCm, w, h);
}

VisualAngle Canvas::visualAngle() {
    if (pixelWidth < 1 || pixelHeight < 1 || !(viewingDistance > 0.0))
        return VisualAngle();
    return VisualAngle(physicalWidth, physicalHeight, viewingDistance, pixelWidth, pixelHeight, getCenter());
}

} // namespace Stimora
