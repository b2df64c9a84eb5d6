#include "devices/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <typeinfo>

#include "APIAudioOutput.h"
#include "base/Exception.h"
#include "devices/AudioMixer.h"

namespace Stimora {

namespace {

// Runs on the device's real-time thread: the clock is read first, as near the device's own
// time stamps as possible.
void renderOnDevice(void* user, float* out, unsigned long frames, double latency, double sinceCycle,
                    bool underflow) {
    const std::int64_t now = Clock::counterNow();
    static_cast<AudioMixer*>(user)->render(out, frames, latency, sinceCycle, underflow, now);
}

Clock ticksToClock(double ticks) {
    return Clock(static_cast<std::int64_t>(std::llround(ticks)));
}

// A device that renders nothing for this long has been lost.
constexpr double silentLimitMs = 500.0;

} // namespace

AudioOutput::AudioOutput(const Settings& settings) : mixer(), api() {
    // The mixer is made once the stream's rate is known; the stream only calls it after start.
    api = std::make_unique<APIAudioOutput>(
        settings.hostApi, settings.device, settings.rate, settings.channels, settings.latencyMs,
        [](void* user, float* out, unsigned long frames, double latency, double sinceCycle, bool underflow) {
            AudioOutput& self = *static_cast<AudioOutput*>(user);
            renderOnDevice(self.mixer.get(), out, frames, latency, sinceCycle, underflow);
        },
        this);
    sampleRate = api->rate();
    channelCount = settings.channels;
    latencyMs = api->outputLatencyMs();
    name = api->name();
    mixer = std::make_unique<AudioMixer>(channelCount, sampleRate, latencyMs);
    api->start();
    // play(sound, when) needs the device's time: wait for its first buffer.
    const Clock begun = Clock::now();
    while (!mixer->position().known) {
        if ((Clock::now() - begun).milliseconds() > 2000.0)
            throw Exception(typeid(AudioOutput), "DEVICE ERROR",
                            "The sound output \"" + name + "\" started but asks for no samples.");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    lastProgress = Clock::now();
    // The latency the device's time stamps carry, where it reports them (PortAudio's stream
    // figure can differ from them: on JACK it leaves out a period).
    if (mixer->position().latencyMs > 0.0)
        latencyMs = mixer->position().latencyMs;
}

namespace {
AudioOutput::Settings fromEnvironment() {
    AudioOutput::Settings settings;
    if (const char* host = std::getenv("STIMORA_AUDIO_HOST_API"))
        settings.hostApi = host;
    if (const char* device = std::getenv("STIMORA_AUDIO_DEVICE"))
        settings.device = device;
    return settings;
}
} // namespace

AudioOutput::AudioOutput() : AudioOutput(fromEnvironment()) {}

AudioOutput::~AudioOutput() {
    poll();
    if (lost || !api->active())
        api->abandon();
    // The stream stops before the mixer and the samples it reads go.
    api.reset();
}

void AudioOutput::poll() noexcept {
    AudioMixer::Event e;
    while (mixer->receive(e)) {
        auto it = records.find(e.id);
        if (it == records.end())
            continue;
        Record& r = it->second;
        if (e.type == AudioMixer::Event::started) {
            r.started = true;
            r.start = e.start;
            r.late = e.late;
            r.onsetTicks = e.onsetTicks;
        } else {
            r.refused = e.type == AudioMixer::Event::refused;
            r.finished = true;
            r.samples.reset();
        }
    }
    const AudioMixer::Position p = mixer->position();
    const Clock now = Clock::now();
    if (p.buffers != lastBuffers) {
        lastBuffers = p.buffers;
        lastProgress = now;
    } else if ((now - lastProgress).milliseconds() > silentLimitMs) {
        lost = true;
    }
}

void AudioOutput::check() {
    poll();
    if (lost || !api->active()) {
        lost = true;
        throw Exception(typeid(AudioOutput), "DEVICE ERROR",
                        "The sound output \"" + name + "\" was lost: it has stopped taking samples.");
    }
}

AudioOutput::Record& AudioOutput::find(long long id) {
    auto it = records.find(id);
    if (it == records.end())
        throw Exception(typeid(AudioOutput), "ARGUMENT ERROR", "No sound number " + std::to_string(id) + ".");
    return it->second;
}

long long AudioOutput::prepare(const Sound& sound) {
    check();
    if (sound.rate() != sampleRate)
        throw Exception(typeid(AudioOutput), "FORMAT ERROR",
                        "The sound is at " + std::to_string(sound.rate()) + " Hz; the output \"" + name +
                            "\" runs at " + std::to_string(sampleRate) +
                            " Hz (load or convert it at that rate).");
    if (sound.channels() > channelCount || sound.channel() >= channelCount)
        throw Exception(typeid(AudioOutput), "FORMAT ERROR",
                        "The output \"" + name + "\" has " + std::to_string(channelCount) +
                            " channels: too few for this sound.");
    Record r;
    r.samples = sound.buffer();
    r.frames = static_cast<std::int64_t>(sound.frames());
    r.channels = sound.channels();
    r.route = sound.channel();
    const long long id = nextId++;
    records.emplace(id, std::move(r));
    order.push_back(id);
    return id;
}

bool AudioOutput::send(long long id, Record& r, bool asap, Clock when) noexcept {
    r.requested = asap ? Clock::now() : when;
    r.asap = asap;
    AudioMixer::Command c;
    c.id = id;
    c.samples = r.samples->data();
    c.frames = r.frames;
    c.channels = r.channels;
    c.route = r.route;
    c.asap = asap;
    c.targetTicks = static_cast<double>(when.ticks());
    r.sent = mixer->send(c);
    if (!r.sent) {
        r.refused = r.finished = true;
        r.samples.reset();
    }
    return r.sent;
}

void AudioOutput::startPrepared(long long id, Clock when) noexcept {
    auto it = records.find(id);
    if (it != records.end() && !it->second.sent && !it->second.finished)
        send(id, it->second, false, when);
}

long long AudioOutput::play(const Sound& sound) {
    const long long id = prepare(sound);
    if (!send(id, records[id], true, Clock()))
        throw Exception(typeid(AudioOutput), "DEVICE ERROR", "Too many sounds waiting for \"" + name + "\".");
    return id;
}

long long AudioOutput::play(const Sound& sound, Clock when) {
    const long long id = prepare(sound);
    if (!send(id, records[id], false, when))
        throw Exception(typeid(AudioOutput), "DEVICE ERROR", "Too many sounds waiting for \"" + name + "\".");
    return id;
}

AudioOutput& AudioOutput::stop(long long id) {
    auto it = records.find(id);
    if (it == records.end() || it->second.finished)
        return *this;
    if (!it->second.sent) {
        it->second.finished = true;
        it->second.samples.reset();
        return *this;
    }
    AudioMixer::Command c;
    c.type = AudioMixer::Command::stop;
    c.id = id;
    mixer->send(c);
    return *this;
}

AudioOutput& AudioOutput::stopAll() {
    for (auto& entry : records)
        if (!entry.second.sent && !entry.second.finished) {
            entry.second.finished = true;
            entry.second.samples.reset();
        }
    AudioMixer::Command c;
    c.type = AudioMixer::Command::stopAll;
    mixer->send(c);
    return *this;
}

bool AudioOutput::isPlaying(long long id) {
    poll();
    const Record& r = find(id);
    if (r.finished || lost)
        return false;
    // The mixer reports the end of a sound; its position says so too, should that report wait.
    return !(r.started && r.start + r.frames <= mixer->position().renderedEnd);
}

Clock AudioOutput::expectedOnset(long long id) noexcept {
    poll();
    auto it = records.find(id);
    if (it == records.end())
        return Clock();
    const Record& r = it->second;
    if (r.started)
        return ticksToClock(r.onsetTicks);
    const AudioMixer::Position p = mixer->position();
    const std::int64_t target =
        r.asap ? 0
               : std::llround((static_cast<double>(r.requested.ticks()) - p.originTicks) / p.ticksPerSample);
    const std::int64_t start = std::max(target, p.renderedEnd);
    return ticksToClock(p.originTicks + static_cast<double>(start) * p.ticksPerSample);
}

AudioOutput::SoundTiming AudioOutput::timing(long long id) {
    poll();
    const Record& r = find(id);
    SoundTiming t;
    t.id = id;
    t.requested = r.requested;
    t.started = r.started;
    t.refused = r.refused;
    t.latencyMs = latencyMs;
    if (r.started) {
        t.onset = ticksToClock(r.onsetTicks);
        t.lateMs = 1000.0 * static_cast<double>(r.late) / sampleRate;
    }
    return t;
}

std::string AudioOutput::timingReport() {
    poll();
    int started = 0, late = 0, refused = 0, scheduled = 0;
    double maxLate = 0.0, sum = 0.0, sumSquares = 0.0, worst = 0.0;
    for (long long id : order) {
        const Record& r = records[id];
        refused += r.refused;
        if (!r.started)
            continue;
        ++started;
        if (r.late > 0) {
            ++late;
            maxLate = std::max(maxLate, 1000.0 * static_cast<double>(r.late) / sampleRate);
        } else if (!r.asap) {
            // Asked-for against placed onset: the rounding to a whole sample.
            const double error = (ticksToClock(r.onsetTicks) - r.requested).milliseconds();
            ++scheduled;
            sum += error;
            sumSquares += error * error;
            worst = std::max(worst, std::fabs(error));
        }
    }
    const double mean = scheduled ? sum / scheduled : 0.0;
    const double sd = scheduled > 1
                          ? std::sqrt(std::max(0.0, (sumSquares - scheduled * mean * mean) / (scheduled - 1)))
                          : 0.0;
    char text[640];
    std::snprintf(
        text, sizeof text,
        "Sound timing on \"%s\" (%d Hz, %d channels, output latency %.3f ms as reported): %d sounds "
        "started, %d on their time (onset minus time asked: mean %.4f ms, sd %.4f ms, largest %.4f "
        "ms), %d late (at most %.3f ms), %d refused.%s",
        name.c_str(), sampleRate, channelCount, latencyMs, started, scheduled, mean, sd, worst, late, maxLate,
        refused, lost ? " The device was lost." : "");
    return text;
}

} // namespace Stimora
