// Shared by the adaptive examples (contrast_staircase, quest_contrast): one trial of
// two-alternative orientation discrimination, and the program around an experiment.
// Not an example of its own: this folder holds no program.

#pragma once

#include <Stimora.h>

#include "ExampleMain.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace OrientationTask {

constexpr int fixationFrames = 30; // 500 ms at 60 Hz before each patch
constexpr int stimulusFrames = 12; // 200 ms
constexpr int vertical = 0;        // orientation of vertical stripes, degrees
constexpr int horizontal = 90;

/// Raised by a trial when the observer pushes Escape.
struct Stopped {};

/// A whole number from an environment variable, or fallback when it is not set.
inline int fromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text == nullptr || *text == '\0' ? fallback : std::atoi(text);
}

/// One frame of the mid-grey screen with the fixation mark and a status line at the top left.
inline void showFixation(Stimora::Canvas& canvas, const std::string& status) {
    const Stimora::Point center = canvas.getCenter();
    Stimora::Rectangle fixation(5, 5);
    fixation.centerAt(center.x, center.y);
    canvas.clear(Stimora::Color::gray, Stimora::Canvas::back);
    fixation.draw(Stimora::Color::black, canvas);
    canvas.message(status, 10, 20, Stimora::Color(0.3), 0, -1);
    canvas.flip();
}

/// One trial: 500 ms of fixation, a Gabor patch (wavelength 20 px, sigma 20 px) of the given
/// contrast and orientation for 200 ms, then fixation until the observer answers V (vertical
/// stripes) or H (horizontal). Returns the orientation answered; raises Stopped on Escape.
inline int askOrientation(double contrast, int orientation, const std::string& status) {
    Stimora::Canvas& canvas = *Stimora::currentCanvas();
    const Stimora::Point center = canvas.getCenter();
    Stimora::Keyboard::clear();
    for (int frame = 0; frame < fixationFrames; ++frame)
        showFixation(canvas, status);

    Stimora::StimulusTemplate::QuickGabor patch(20.0, 20.0, contrast, orientation, 0.0);
    patch.centerAt(center.x, center.y);
    Stimora::Rectangle fixation(5, 5);
    fixation.centerAt(center.x, center.y);
    canvas.clear(Stimora::Color::gray, Stimora::Canvas::back);
    patch.draw(canvas);
    fixation.draw(Stimora::Color::black, canvas);
    canvas.flip(stimulusFrames);

    Stimora::Keyboard::clear();
    for (;;) {
        showFixation(canvas, status);
        if (Stimora::Keyboard::pushed(Stimora::Keyboard::escape))
            throw Stopped();
        if (Stimora::Keyboard::pushed(Stimora::Keyboard::v))
            return vertical;
        if (Stimora::Keyboard::pushed(Stimora::Keyboard::h))
            return horizontal;
    }
}

/// The whole program: a full-screen canvas, the experiment's run(), then report(experiment)
/// to say what it found. Escape leaves the finished trials in the journal. Returns the exit code.
template <class Experiment, class Report> int runOnFullScreen(Report report) {
    return runExample([&] {
        Stimora::startUp();
        Stimora::Canvas canvas(Stimora::Canvas::fullscreen, Stimora::Display::primary());
        Experiment experiment;
        try {
            experiment.run();
            std::printf("Results written to %s\n", experiment.savedPath().c_str());
            report(experiment);
        } catch (Stopped&) {
            std::printf("Stopped at trial %d; finished trials are in %s\n", experiment.currentTrial,
                        experiment.journalPath().c_str());
        }
        return 0;
    });
}

} // namespace OrientationTask
