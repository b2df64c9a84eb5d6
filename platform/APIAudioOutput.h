#pragma once

// The platform half of an audio output: a PortAudio stream.

#include <atomic>
#include <string>

namespace Stimora {

/// An open PortAudio output stream of 32-bit float interleaved samples. The stream callback
/// runs on PortAudio's real-time thread and only calls render, which must allocate nothing
/// and take no lock.
class APIAudioOutput {
public:
    /// Called for every device buffer: fill frames interleaved frames of out. latency is the
    /// device's output-buffer DAC time less its current time, in seconds (-1 where it stamps
    /// none); sinceCycle the seconds since the device's cycle for this buffer began, where the
    /// host API says (JACK), else -1: then the current time stands for the buffer's start.
    /// underflow is whether output ran dry since the last call.
    using Render = void (*)(void* user, float* out, unsigned long frames, double latency, double sinceCycle,
                            bool underflow);

    /// Opens (but does not start) an output on the host API whose name contains hostApi
    /// ("" for PortAudio's default one, e.g. "ALSA", "JACK") and its device whose name contains
    /// device ("" for that host API's default output), at rate Hz (0 for the device's default)
    /// with channels channels, asking for latencyMs (0 for the device's low default). Raises
    /// Exception (DEVICE ERROR) naming the device and the format when there is no such device
    /// or it refuses the format.
    APIAudioOutput(const std::string& hostApi, const std::string& device, int rate, int channels,
                   double latencyMs, Render render, void* user);
    /// Stops and closes the stream.
    ~APIAudioOutput();
    APIAudioOutput(const APIAudioOutput&) = delete;
    APIAudioOutput& operator=(const APIAudioOutput&) = delete;

    /// Starts the stream; raises Exception (DEVICE ERROR) when it cannot.
    void start();
    /// Whether the stream still runs (false after the device was lost).
    bool active() const;
    /// Leaves the stream unclosed at destruction: PortAudio's JACK host aborts the process when
    /// it closes a stream whose server has gone, so a lost device's stream is let go instead.
    void abandon() { abandoned = true; }
    /// The output latency PortAudio reports for the open stream, in ms.
    double outputLatencyMs() const { return latency; }
    /// Samples per second of the open stream.
    int rate() const { return sampleRate; }
    /// "host API: device", as PortAudio names them.
    const std::string& name() const { return deviceName; }
    /// Every output device as "host API: device", separated by "; " ("none" without one).
    static std::string listDevices();

    /// Where the stream callback hands each buffer.
    struct Sink {
        Render render;                 ///< the function called per buffer
        void* user;                    ///< its first argument
        void* jack;                    ///< a JACK client reading the server's cycle times, or null
        std::atomic<bool> gone{false}; ///< set when the JACK server has shut down
    };

private:
    void* stream = nullptr;
    Sink sink;
    double latency = 0.0;
    int sampleRate = 0;
    std::string deviceName;
    bool initialized = false, abandoned = false;
    void* jackClock = nullptr;
};

} // namespace Stimora
