#pragma once

// The mixing half of an audio output: runs inside the device's real-time callback.

#include <atomic>
#include <cstdint>

#include "SpscRing.h"

namespace Stimora {

/// Mixes the sounds an audio output plays, one device buffer at a time, and keeps the map from
/// the output's sample count to the framework clock. The experiment's thread talks to it only
/// through two bounded lock-free rings (commands in, events out) and a sequence-counted
/// position record; render() allocates nothing, takes no lock and never waits.
///
/// Timing: each buffer brings the device's estimate of when its first sample reaches the
/// output (PortAudio's output-buffer DAC time, taken with the clock read in the same callback).
/// That estimate is late by however long the callback took to wake; the sample count is exact,
/// but the device's clock runs at its own rate (a sound card's crystal, or a server timed by
/// another system clock: tens of ppm, a sample every few seconds). So the mixer takes, in each
/// 50 ms block of samples, the earliest estimate against the count, and fits a line through
/// the last 10 blocks' points by least squares: its slope is the device's sample period on the
/// framework clock, and sample n reaches the output at origin + n * period. Until three blocks
/// are in, it keeps the lower envelope under the nominal rate. An underflow starts it afresh.
class AudioMixer {
public:
    /// Sounds that can sound at once; a start beyond them is refused.
    static constexpr int maxVoices = 64;

    /// A request from the experiment's thread.
    struct Command {
        /// What a command asks.
        enum Type : int {
            start,  ///< start a sound
            stop,   ///< stop the sound id
            stopAll ///< stop every sound
        };
        Type type = start;              ///< what to do
        long long id = 0;               ///< the sound's number
        const float* samples = nullptr; ///< interleaved, kept alive by the sender until finished
        std::int64_t frames = 0;        ///< frames in samples
        int channels = 1;               ///< 1 or 2
        int route = -1;                 ///< mono: output channel, -1 for all
        bool asap = true;               ///< start at the first sample not yet mixed
        double targetTicks = 0.0;       ///< else: clock ticks when the first frame should reach the output
    };

    /// A report to the experiment's thread.
    struct Event {
        /// What an event reports.
        enum Type : int {
            started,  ///< the sound has its first sample
            finished, ///< the sound ended or was stopped
            refused   ///< every voice was busy
        };
        Type type = started;     ///< what happened
        long long id = 0;        ///< the sound's number
        std::int64_t start = 0;  ///< output sample index of its first frame (started)
        double onsetTicks = 0.0; ///< clock ticks when that frame reaches the output (started)
        std::int64_t late = 0;   ///< frames it started after its target (started)
    };

    /// Where the output stands, as last published by render().
    struct Position {
        bool known = false;           ///< false until the first buffer
        double originTicks = 0.0;     ///< clock ticks when output sample 0 reaches the output
        double ticksPerSample = 0.0;  ///< the device's sample period in clock ticks
        std::int64_t renderedEnd = 0; ///< first sample not yet mixed: the earliest a start can take
        std::int64_t buffers = 0;     ///< buffers rendered so far
        double latencyMs = 0.0;       ///< DAC time less current time in the latest buffer
    };

    /// A mixer for channels output channels at rate samples per second; latencyMs stands in
    /// for the DAC time where the device reports none.
    AudioMixer(int channels, int rate, double latencyMs);

    /// Experiment's side: queues a command; false when the ring is full.
    bool send(const Command& command) { return commands.push(command); }
    /// Experiment's side: takes the next event; false when there is none.
    bool receive(Event& event) { return events.pop(event); }
    /// Experiment's side: the latest published position (consistent, never torn).
    Position position() const;
    /// Clock ticks per output sample at the nominal rate.
    double nominalTicksPerSample() const { return tps; }
    /// Output channels.
    int channels() const { return outChannels; }
    /// Samples per second.
    int rate() const { return sampleRate; }

    /// Callback's side: mixes frames interleaved frames into out (overwritten). latency is the
    /// device's DAC time less its current time in seconds (-1 when unknown), sinceCycle the
    /// seconds since the buffer's cycle began (-1 when unknown), nowTicks the clock read in
    /// this callback, underflow whether the device reported one since the last.
    void render(float* out, unsigned long frames, double latency, double sinceCycle, bool underflow,
                std::int64_t nowTicks) noexcept;

private:
    struct Voice {
        long long id = 0;
        const float* samples = nullptr;
        std::int64_t frames = 0, start = 0;
        int channels = 1, route = -1;
        double targetTicks = 0.0;
        bool active = false, waiting = false;
    };

    void apply(const Command& command, std::int64_t first) noexcept;
    void place(Voice& voice, std::int64_t first, std::int64_t count) noexcept;
    void mix(Voice& voice, float* out, std::int64_t first, std::int64_t count) noexcept;
    void publish(std::int64_t renderedEnd) noexcept;
    void track(std::int64_t first, std::int64_t count, double dacTicks, bool restart) noexcept;
    void fit() noexcept;

    // Points of the timing fit, relative to a reference: samples counted, clock ticks at DAC.
    struct Anchor {
        double samples = 0.0, ticks = 0.0;
    };
    static constexpr int maxAnchors = 10;

    const int outChannels, sampleRate;
    const double tps, latencyTicks;
    SpscRing<Command, 256> commands;
    SpscRing<Event, 512> events;
    Voice voices[maxVoices];
    std::int64_t rendered = 0, buffers = 0;
    double origin = 0.0, period = 0.0;
    bool anchored = false;
    Anchor anchors[maxAnchors], best;
    int anchorCount = 0, anchorNext = 0;
    double refSamples = 0.0, refTicks = 0.0;
    std::int64_t blockEnd = 0;
    bool blockOpen = false;
    // Published position, under a sequence count (odd while being written).
    std::atomic<std::uint64_t> sequence{0};
    std::atomic<double> publishedOrigin{0.0}, publishedLatency{0.0}, publishedPeriod{0.0};
    double latencyMs = 0.0;
    std::atomic<std::int64_t> publishedEnd{0}, publishedBuffers{0};
};

} // namespace Stimora
