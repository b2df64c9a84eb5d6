#include "devices/AudioMixer.h"

#include <algorithm>
#include <cmath>

#include "devices/Clock.h"

namespace Stimora {

AudioMixer::AudioMixer(int channels, int rate, double latencyMs)
    : outChannels(channels), sampleRate(rate), tps(1000.0 * static_cast<double>(Clock::tickRate()) / rate),
      latencyTicks(latencyMs * static_cast<double>(Clock::tickRate())), period(tps) {}

AudioMixer::Position AudioMixer::position() const {
    Position p;
    for (;;) {
        const std::uint64_t before = sequence.load(std::memory_order_acquire);
        p.originTicks = publishedOrigin.load(std::memory_order_relaxed);
        p.renderedEnd = publishedEnd.load(std::memory_order_relaxed);
        p.buffers = publishedBuffers.load(std::memory_order_relaxed);
        p.latencyMs = publishedLatency.load(std::memory_order_relaxed);
        p.ticksPerSample = publishedPeriod.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(before & 1u) && sequence.load(std::memory_order_relaxed) == before)
            break;
    }
    p.known = p.buffers > 0;
    return p;
}

void AudioMixer::publish(std::int64_t renderedEnd) noexcept {
    const std::uint64_t s = sequence.load(std::memory_order_relaxed);
    sequence.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    publishedOrigin.store(origin, std::memory_order_relaxed);
    publishedEnd.store(renderedEnd, std::memory_order_relaxed);
    publishedBuffers.store(buffers, std::memory_order_relaxed);
    publishedLatency.store(latencyMs, std::memory_order_relaxed);
    publishedPeriod.store(period, std::memory_order_relaxed);
    sequence.store(s + 2, std::memory_order_release);
}

void AudioMixer::render(float* out, unsigned long frames, double latency, double sinceCycle, bool underflow,
                        std::int64_t nowTicks) noexcept {
    const std::int64_t first = rendered;
    const std::int64_t count = static_cast<std::int64_t>(frames);
    const double ticksPerSecond = 1000.0 * static_cast<double>(Clock::tickRate());
    const double ahead = latency >= 0.0 ? latency * ticksPerSecond : latencyTicks;
    const double since = sinceCycle > 0.0 ? sinceCycle * ticksPerSecond : 0.0;
    latencyMs = ahead / static_cast<double>(Clock::tickRate());
    track(first, count, static_cast<double>(nowTicks) - since + ahead, !anchored || underflow);
    anchored = true;
    ++buffers;

    Command command;
    while (commands.pop(command))
        apply(command, first);
    publish(first + count);

    std::fill(out, out + count * outChannels, 0.0f);
    for (Voice& voice : voices) {
        if (voice.active && voice.waiting)
            place(voice, first, count);
        if (voice.active && !voice.waiting)
            mix(voice, out, first, count);
    }
    rendered = first + count;
}

void AudioMixer::track(std::int64_t first, std::int64_t count, double dacTicks, bool restart) noexcept {
    if (restart) {
        anchorCount = anchorNext = 0;
        refSamples = static_cast<double>(first);
        refTicks = dacTicks;
        period = tps;
        origin = dacTicks - refSamples * period;
        blockOpen = false;
        blockEnd = first;
    }
    const Anchor point{static_cast<double>(first) - refSamples, dacTicks - refTicks};
    if (anchorCount < 3) // A late wake-up only ever makes the estimate later.
        origin = std::min(origin + 200e-6 * static_cast<double>(count) * tps, dacTicks - first * period);
    // Against the nominal line, the block's lowest point is its least delayed one.
    if (!blockOpen || point.ticks - point.samples * tps < best.ticks - best.samples * tps)
        best = point;
    blockOpen = true;
    if (first + count >= blockEnd + sampleRate / 20) {
        anchors[anchorNext] = best;
        anchorNext = (anchorNext + 1) % maxAnchors;
        anchorCount = std::min(anchorCount + 1, maxAnchors);
        blockOpen = false;
        blockEnd = first + count;
        fit();
    }
}

void AudioMixer::fit() noexcept {
    if (anchorCount < 3)
        return;
    double mx = 0.0, my = 0.0;
    for (int i = 0; i < anchorCount; ++i) {
        mx += anchors[i].samples;
        my += anchors[i].ticks;
    }
    mx /= anchorCount;
    my /= anchorCount;
    double sxx = 0.0, sxy = 0.0;
    for (int i = 0; i < anchorCount; ++i) {
        sxx += (anchors[i].samples - mx) * (anchors[i].samples - mx);
        sxy += (anchors[i].samples - mx) * (anchors[i].ticks - my);
    }
    const double slope = sxx > 0.0 ? sxy / sxx : tps;
    // A rate off by more than 0.1 % is no clock drift but a broken time stamp: keep the last.
    if (std::fabs(slope / tps - 1.0) > 1e-3)
        return;
    period = slope;
    origin = refTicks + my - mx * slope - refSamples * slope;
}

void AudioMixer::apply(const Command& command, std::int64_t first) noexcept {
    if (command.type != Command::start) {
        for (Voice& voice : voices)
            if (voice.active && (command.type == Command::stopAll || voice.id == command.id)) {
                voice.active = false;
                Event e;
                e.type = Event::finished;
                e.id = voice.id;
                events.push(e);
            }
        return;
    }
    Event e;
    e.id = command.id;
    Voice* slot =
        std::find_if(std::begin(voices), std::end(voices), [](const Voice& v) { return !v.active; });
    if (slot == std::end(voices)) {
        e.type = Event::refused;
        events.push(e);
        return;
    }
    *slot = Voice{command.id,    command.samples,     command.frames, first,        command.channels,
                  command.route, command.targetTicks, true,           !command.asap};
    if (command.asap) {
        e.type = Event::started;
        e.start = first;
        e.onsetTicks = origin + static_cast<double>(first) * period;
        events.push(e);
    }
}

// A voice waiting for its time takes its sample under the latest fit, once that sample is near.
void AudioMixer::place(Voice& voice, std::int64_t first, std::int64_t count) noexcept {
    const std::int64_t start = std::llround((voice.targetTicks - origin) / period);
    if (start >= first + count)
        return;
    Event e;
    e.type = Event::started;
    e.id = voice.id;
    e.late = start < first ? first - start : 0;
    voice.start = start < first ? first : start;
    voice.waiting = false;
    e.start = voice.start;
    e.onsetTicks = origin + static_cast<double>(voice.start) * period;
    events.push(e);
}

void AudioMixer::mix(Voice& voice, float* out, std::int64_t first, std::int64_t count) noexcept {
    const std::int64_t from = std::max(voice.start, first);
    const std::int64_t to = std::min(voice.start + voice.frames, first + count);
    if (from < to) {
        const int C = outChannels;
        float* o = out + (from - first) * C;
        if (voice.channels == 2) {
            const float* s = voice.samples + (from - voice.start) * 2;
            for (std::int64_t n = from; n < to; ++n, o += C, s += 2) {
                o[0] += s[0];
                if (C > 1)
                    o[1] += s[1];
            }
        } else if (voice.route >= 0) {
            const float* s = voice.samples + (from - voice.start);
            const int c = voice.route;
            for (std::int64_t n = from; n < to; ++n, o += C)
                o[c] += *s++;
        } else if (C == 2) { // the common case, kept simple enough to vectorise
            const float* __restrict s = voice.samples + (from - voice.start);
            float* __restrict d = o;
            const std::int64_t n = to - from;
            for (std::int64_t i = 0; i < n; ++i) {
                d[2 * i] += s[i];
                d[2 * i + 1] += s[i];
            }
        } else {
            const float* s = voice.samples + (from - voice.start);
            for (std::int64_t n = from; n < to; ++n, o += C, ++s)
                for (int c = 0; c < C; ++c)
                    o[c] += *s;
        }
    }
    if (voice.start + voice.frames <= first + count) {
        voice.active = false;
        Event e;
        e.type = Event::finished;
        e.id = voice.id;
        events.push(e);
    }
}

} // namespace Stimora
