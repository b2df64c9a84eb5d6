#pragma once

// Sounds started at the onset of a canvas's next frame.

#include <vector>

#include "devices/Clock.h"
#include "display/FlipListener.h"

namespace Stimora {

class AudioOutput;
class Sound;

/// Listens to a canvas's flips for Canvas::playAtFlip: a sound handed over before a flip is
/// scheduled, as the flip begins, for the onset the canvas predicts for its frame on the
/// refresh grid; as the swap returns, the frame log gets a "sound" mark with the sound's number,
/// the onset asked for and the onset the output reports (or expects, when its device has not
/// yet taken the sound).
class CanvasSound : public FlipListener {
public:
    /// Plays through output, which must outlive the listener.
    explicit CanvasSound(AudioOutput& output);
    /// Keeps sound for the next flip; returns its number on the output.
    long long add(const Sound& sound);
    /// The output the sounds play on.
    AudioOutput& output() { return audio; }
    /// Starts the waiting sounds at the frame's predicted onset.
    void beforeSwap(Clock predictedOnset) noexcept override;
    /// Marks the frame log with each sound started for this frame.
    void afterSwap(Clock onset, FrameLog& log) noexcept override;

private:
    AudioOutput& audio;
    std::vector<long long> waiting, started;
    Clock predicted;
};

} // namespace Stimora
