#pragma once

// A sound held in memory: samples an audio output plays.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Stimora {

/// Samples in memory, ready to play: 32-bit floats in -1..1 (full scale), one or two
/// interleaved channels, at a fixed sample rate. Copies share the samples, which never change
/// once made, so a copy is cheap and a sound may be played while the experiment keeps or
/// drops its own copy. Levels are peak amplitudes in dB re full scale (0 dB: a peak of 1).
class Sound {
public:
    /// An empty sound (no frames) at 48000 Hz.
    Sound();

    /// A sine tone of frequencyHz lasting durationMs, peaking at levelDb re full scale, with
    /// raised-cosine (Hann) on and off ramps of rampMs each (shortened to half the duration
    /// when longer), at rate samples per second. Mono.
    static Sound tone(double frequencyHz, double durationMs, double levelDb = -12.0, double rampMs = 5.0,
                      int rate = 48000);
    /// White noise, uniform between plus and minus the peak levelDb re full scale, with
    /// raised-cosine ramps of rampMs; seed makes it reproducible. Mono.
    static Sound noise(double durationMs, double levelDb = -12.0, double rampMs = 5.0, int rate = 48000,
                       unsigned seed = 1);
    /// durationMs of zeros. Mono.
    static Sound silence(double durationMs, int rate = 48000);
    /// The experiment's own samples: interleaved frames of channels (1 or 2) at rate.
    /// Raises Exception (ARGUMENT ERROR) for another channel count, a rate outside
    /// 1000..384000 Hz or a sample count that is no whole number of frames.
    static Sound fromSamples(std::vector<float> interleaved, int channels, int rate);
    /// Reads a sound file (WAV, FLAC, OGG and the other formats libsndfile reads) of one or
    /// two channels, after path token expansion, and converts it to rate (see resampled()).
    /// Raises Exception (FILE ERROR) naming the path when it cannot be read, and (FORMAT ERROR)
    /// for more than two channels or a rate it will not convert.
    static Sound load(const std::string& path, int rate = 48000);

    /// This sound at another rate, by windowed-sinc interpolation: a sinc low-pass at the
    /// lower of the two Nyquist frequencies (95 % of it), 32 zero crossings each side,
    /// Blackman window. Refuses (FORMAT ERROR) a ratio beyond 8 either way.
    Sound resampled(int rate) const;

    /// Sends a mono sound to one channel of the output (0 first), or to every channel with -1
    /// (the default). A stereo sound always plays on channels 0 and 1. Returns the sound.
    Sound& toChannel(int channel);
    /// The output channel of a mono sound, -1 for all.
    int channel() const { return route; }

    /// Channels: 1 or 2.
    int channels() const { return channelCount; }
    /// Samples per second.
    int rate() const { return sampleRate; }
    /// Frames (one sample per channel each).
    std::size_t frames() const { return data->size() / static_cast<std::size_t>(channelCount); }
    /// Length in ms.
    double durationMs() const { return 1000.0 * static_cast<double>(frames()) / sampleRate; }
    /// The interleaved samples (frames() * channels() of them).
    const float* samples() const { return data->data(); }
    /// The shared buffer, which an audio output keeps alive while it plays.
    std::shared_ptr<const std::vector<float>> buffer() const { return data; }

private:
    Sound(std::vector<float> interleaved, int channels, int rate);

    std::shared_ptr<const std::vector<float>> data;
    int channelCount = 1;
    int sampleRate = 48000;
    int route = -1;
};

} // namespace Stimora
