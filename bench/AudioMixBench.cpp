// Cost of one device buffer (256 stereo frames at 48 kHz) in the audio callback with 1, 8 and
// 32 sounds playing, against a hand-written loop adding the same sounds into the buffer.

#include "devices/AudioMixer.h"
#include "devices/Clock.h"
#include "devices/Sound.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr unsigned long frames = 256;
const Stimora::Sound& tone() {
    static const Stimora::Sound sound = Stimora::Sound::tone(440.0, 60000.0, -40.0, 5.0, 48000);
    return sound;
}

void MixerCallback(benchmark::State& state) {
    const int sounds = static_cast<int>(state.range(0));
    Stimora::AudioMixer mixer(2, 48000, 10.0);
    std::vector<float> out(frames * 2);
    Stimora::AudioMixer::Command c;
    c.samples = tone().samples();
    c.frames = static_cast<std::int64_t>(tone().frames());
    for (int i = 0; i < sounds; ++i) {
        c.id = i;
        mixer.send(c);
    }
    const std::int64_t now = Stimora::Clock::counterNow();
    Stimora::AudioMixer::Event e;
    for (auto _ : state) {
        mixer.render(out.data(), frames, 0.01, -1.0, false, now);
        // A sound that ends starts again, so that the count stays.
        while (mixer.receive(e))
            if (e.type == Stimora::AudioMixer::Event::finished) {
                c.id = e.id;
                mixer.send(c);
            }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MixerCallback)->Arg(1)->Arg(8)->Arg(32);

void HandWrittenMix(benchmark::State& state) {
    const int sounds = static_cast<int>(state.range(0));
    std::vector<float> out(frames * 2);
    std::vector<std::size_t> positions(static_cast<std::size_t>(sounds), 0);
    const float* samples = tone().samples();
    for (auto _ : state) {
        std::fill(out.begin(), out.end(), 0.0f);
        for (std::size_t& p : positions) {
            for (unsigned long n = 0; n < frames; ++n) {
                out[2 * n] += samples[p + n];
                out[2 * n + 1] += samples[p + n];
            }
            p = (p + frames) % (tone().frames() - frames);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(HandWrittenMix)->Arg(1)->Arg(8)->Arg(32);

} // namespace

BENCHMARK_MAIN();
