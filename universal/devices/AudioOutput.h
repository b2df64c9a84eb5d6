#pragma once

// Sound output: sounds started at a given clock time, sample-accurate, with their onsets.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "devices/Clock.h"
#include "devices/Sound.h"

namespace Stimora {

class APIAudioOutput;
class AudioMixer;

/// A sound device, open and running from construction to destruction. Sounds are mixed on the
/// device's own real-time thread, which allocates nothing and takes no lock; the experiment's
/// thread hands them over through a bounded queue, so play() never waits on the device.
///
/// play(sound, when) places the sound's first sample inside the device buffer at the sample
/// that reaches the output (as the device reports it: PortAudio's output-buffer DAC time)
/// at clock time when, not at the start of the next buffer. Each started sound reports the
/// time asked, the estimated onset of its first sample on the framework clock and the output
/// latency the device reported (timing()); timingReport() summarises them.
class AudioOutput {
public:
    /// Which device, and how to open it.
    struct Settings {
        /// Part of the host API's name ("ALSA", "JACK"); "" for the first host API with an
        /// output, PortAudio's default one first.
        std::string hostApi;
        /// Part of the device's name; "" for the host API's default output device.
        std::string device;
        /// Samples per second; 0 for the device's default rate.
        int rate = 0;
        /// Output channels.
        int channels = 2;
        /// Latency to ask the device for, in ms; 0 for its low default.
        double latencyMs = 0.0;
    };

    /// What became of one sound.
    struct SoundTiming {
        /// The sound's number, as play() returned it.
        long long id = 0;
        /// The clock time asked for (the play() call's time for an "as soon as possible" play).
        Clock requested;
        /// Estimated time its first sample reaches the output, on the framework clock.
        Clock onset;
        /// ms the onset came after the time asked, for a play whose time had passed (else 0).
        double lateMs = 0.0;
        /// The output latency the device reported, in ms (see outputLatencyMs()).
        double latencyMs = 0.0;
        /// Whether the device has taken the sound (false while it waits for its flip, or when
        /// all voices were busy: then refused is true).
        bool started = false;
        /// Whether it was refused because every voice was busy.
        bool refused = false;
    };

    /// Opens the device and starts its stream. Raises Exception (DEVICE ERROR) naming the
    /// device and the format where there is no such device, it refuses the format or it does
    /// not start running.
    explicit AudioOutput(const Settings& settings);
    /// Opens the output the environment names (STIMORA_AUDIO_HOST_API, STIMORA_AUDIO_DEVICE:
    /// parts of the names, as in Settings), else the default output of the first host API that
    /// has one, PortAudio's default host API first (see the other constructor).
    AudioOutput();
    /// Stops the stream and closes the device.
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    /// Starts sound as soon as possible; returns its number.
    long long play(const Sound& sound);
    /// Starts sound so that its first sample reaches the output at clock time when; a time
    /// already past (or too near to reach) starts it at once, and its timing says how late.
    /// Raises Exception (FORMAT ERROR) for a sound at another rate or with channels the
    /// output lacks, and (DEVICE ERROR) when the device was lost.
    long long play(const Sound& sound, Clock when);
    /// Stops sound id (ignored when it has ended or is unknown).
    AudioOutput& stop(long long id);
    /// Stops every sound.
    AudioOutput& stopAll();
    /// Whether sound id still plays (or waits to start).
    bool isPlaying(long long id);
    /// The timing of sound id; raises Exception (ARGUMENT ERROR) for a number never returned.
    SoundTiming timing(long long id);
    /// A summary of every started sound's timing, like Canvas::timingReport for frames.
    std::string timingReport();

    /// Samples per second of the stream.
    int rate() const { return sampleRate; }
    /// Output channels.
    int channels() const { return channelCount; }
    /// The output latency the device reported, in ms: its output-buffer DAC time less its
    /// current time in the first buffer (PortAudio's stream latency where it stamps none).
    double outputLatencyMs() const { return latencyMs; }
    /// "host API: device".
    const std::string& deviceName() const { return name; }

    /// For starts tied to an event (a canvas's flip): checks sound like play() and keeps it,
    /// unstarted, under the number returned.
    long long prepare(const Sound& sound);
    /// Starts a prepared sound so that it reaches the output at when. Allocates nothing.
    void startPrepared(long long id, Clock when) noexcept;
    /// The onset sound id has, or will have when the device takes it (as the output stands
    /// now); Clock() for an unknown number. Allocates nothing.
    Clock expectedOnset(long long id) noexcept;

private:
    struct Record {
        std::shared_ptr<const std::vector<float>> samples;
        std::int64_t frames = 0, start = 0, late = 0;
        int channels = 1, route = -1;
        Clock requested;
        double onsetTicks = 0.0;
        bool asap = false, sent = false, started = false, finished = false, refused = false;
    };

    void poll() noexcept;
    void check();
    Record& find(long long id);
    bool send(long long id, Record& record, bool asap, Clock when) noexcept;

    std::unique_ptr<AudioMixer> mixer;
    std::unique_ptr<APIAudioOutput> api;
    std::unordered_map<long long, Record> records;
    std::vector<long long> order;
    long long nextId = 1;
    int sampleRate = 0, channelCount = 0;
    double latencyMs = 0.0;
    std::string name;
    std::int64_t lastBuffers = -1;
    Clock lastProgress;
    bool lost = false;
};

} // namespace Stimora
