// A Gabor patch specified as a scientist reports it: 2 cycles/degree, at 5 degrees of
// eccentricity, with a Michelson contrast about a mean luminance of 50 cd/m².
//
// The program takes a monitor profile (made with stimora-calibrate): its size and viewing
// distance turn degrees into pixels with the flat screen's exact geometry, and its calibration
// turns cd/m² into the values sent to the display. The profile is the first argument (a name in
// %USER_SETTING%profiles/ or a file path). Without one, the program uses a demonstration profile
// of a 40 x 30 cm screen at 57 cm whose response is L = 0.5 + 119.5 v^2.3 cd/m² (the display
// stimora-calibrate --photometer simulated measures), and says so.
//
// The patch sits 5 degrees right of the fixation cross, sigma 0.5 degrees, vertical stripes
// (whose normal runs along the radius, where the screen magnifies most). The background is 50
// cd/m²; the patch's extremes are 50 x (1 + c) and 50 x (1 - c) cd/m².
//
// Keys: Up / Down raise / lower the Michelson contrast by 0.05 (0 .. 0.95); Escape ends.

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cmath>
#include <cstdio>
#include <string>

using namespace Stimora;
using Stimora::StimulusTemplate::ProceduralGabor;

namespace {

// A profile of the display the simulated photometer models, for a first run without one.
MonitorProfile demonstrationProfile(const Canvas& canvas) {
    MonitorProfile p;
    p.name = "demonstration";
    p.widthCm = 40.0;
    p.heightCm = 30.0;
    p.distanceCm = 57.0;
    p.pixelWidth = const_cast<Canvas&>(canvas).getWidth();
    p.pixelHeight = const_cast<Canvas&>(canvas).getHeight();
    p.refreshRate = const_cast<Canvas&>(canvas).getRefreshRate();
    p.calibration.date = "model";
    p.calibration.grey.power = {0.5, std::pow(119.5, 1.0 / 2.3), 2.3}; // (b v)^2.3 = 119.5 v^2.3
    for (int k = 0; k <= 16; ++k) {
        const double v = k / 16.0;
        p.calibration.grey.values.push_back(v);
        p.calibration.grey.luminances.push_back(ResponseCurve::power(p.calibration.grey.power).luminance(v));
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    return runExample([&] {
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        MonitorProfile profile;
        if (argc > 1) {
            profile = MonitorProfile::load(MonitorProfile::locate(argv[1]));
        } else {
            std::fprintf(stderr, "calibrated_contrast: no profile given; using a demonstration profile "
                                 "(40 x 30 cm at 57 cm, L = 0.5 + 119.5 v^2.3 cd/m2).\n");
            profile = demonstrationProfile(canvas);
        }
        canvas.useProfile(profile);
        const VisualAngle geometry = canvas.visualAngle();

        const double mean = 50.0, eccentricity = 5.0, frequency = 2.0, sigma = 0.5;
        const Point place = geometry.toPixels(eccentricity, 0.0);
        const double wavelength = geometry.wavelengthPixels(frequency, place, 0.0);
        const double sigmaPixels = geometry.sizeToPixels(sigma, eccentricity);
        double michelson = 0.5;

        ProceduralGabor patch(wavelength, sigmaPixels, 0.0, 0.0, 0.0);
        patch.setMean(Color::level(mean));
        patch.centerAt(place);
        const Color background = Color::luminance(mean);
        const Color ink = Color::luminance(5.0);
        const Point middle = canvas.getCenter();
        char text[160];
        for (;;) {
            if (Keyboard::pushed(Keyboard::escape))
                break;
            if (Keyboard::pushed(Keyboard::up) && michelson < 0.949)
                michelson += 0.05;
            if (Keyboard::pushed(Keyboard::down) && michelson > 0.001)
                michelson -= 0.05;
            patch.setContrast(Color::michelsonContrast(mean, michelson));
            canvas.clear(background);
            patch.draw(canvas);
            canvas.rect(Rectangle(middle.x - 6, middle.y - 1, middle.x + 6, middle.y), ink);
            canvas.rect(Rectangle(middle.x - 1, middle.y - 6, middle.x, middle.y + 6), ink);
            std::snprintf(text, sizeof text,
                          "%s: %.0f c/deg at %.0f deg (%.1f px per cycle there), Michelson contrast %.2f "
                          "about %.0f cd/m2 (%.1f .. %.1f cd/m2). Up/Down: contrast, Escape: end.",
                          profile.name.c_str(), frequency, eccentricity, wavelength, michelson, mean,
                          mean * (1 - michelson), mean * (1 + michelson));
            canvas.message(text, 20, 30, ink);
            canvas.flip();
        }
        return 0;
    });
}
