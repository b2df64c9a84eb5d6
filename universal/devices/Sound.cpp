#include "devices/Sound.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <typeinfo>
#include <utility>

#include "APISoundFile.h"
#include "base/Exception.h"
#include "file/Paths.h"

namespace Stimora {

namespace {

constexpr double pi = 3.14159265358979323846;

std::size_t framesOf(double durationMs, int rate) {
    if (!(durationMs >= 0.0))
        throw Exception(typeid(Sound), "ARGUMENT ERROR", "A sound's duration must be 0 ms or more.");
    return static_cast<std::size_t>(std::llround(durationMs * rate / 1000.0));
}

void checkRate(int rate) {
    if (rate < 1000 || rate > 384000)
        throw Exception(typeid(Sound), "ARGUMENT ERROR",
                        "A sound's rate must be 1000..384000 Hz, not " + std::to_string(rate) + " Hz.");
}

// Raised-cosine on and off ramps over rampMs at each end.
void applyRamps(std::vector<float>& samples, double rampMs, int rate) {
    const std::size_t n = samples.size();
    const std::size_t ramp = std::min(framesOf(rampMs, rate), n / 2);
    for (std::size_t i = 0; i < ramp; ++i) {
        const float w = static_cast<float>(0.5 - 0.5 * std::cos(pi * (static_cast<double>(i) + 0.5) / ramp));
        samples[i] *= w;
        samples[n - 1 - i] *= w;
    }
}

double amplitude(double levelDb) {
    if (levelDb > 0.0)
        throw Exception(typeid(Sound), "ARGUMENT ERROR", "A level above 0 dB re full scale would clip.");
    return std::pow(10.0, levelDb / 20.0);
}

} // namespace

Sound::Sound() : data(std::make_shared<const std::vector<float>>()) {}

Sound::Sound(std::vector<float> interleaved, int channels, int rate)
    : data(std::make_shared<const std::vector<float>>(std::move(interleaved))), channelCount(channels),
      sampleRate(rate) {}

Sound Sound::tone(double frequencyHz, double durationMs, double levelDb, double rampMs, int rate) {
    checkRate(rate);
    if (!(frequencyHz > 0.0 && frequencyHz < rate / 2.0))
        throw Exception(typeid(Sound), "ARGUMENT ERROR",
                        "A tone's frequency must lie between 0 Hz and half the rate (" +
                            std::to_string(rate / 2) + " Hz).");
    const double a = amplitude(levelDb);
    std::vector<float> samples(framesOf(durationMs, rate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(a * std::sin(2.0 * pi * frequencyHz * static_cast<double>(i) / rate));
    applyRamps(samples, rampMs, rate);
    return Sound(std::move(samples), 1, rate);
}

Sound Sound::noise(double durationMs, double levelDb, double rampMs, int rate, unsigned seed) {
    checkRate(rate);
    const double a = amplitude(levelDb);
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-a, a);
    std::vector<float> samples(framesOf(durationMs, rate));
    for (float& s : samples)
        s = static_cast<float>(uniform(generator));
    applyRamps(samples, rampMs, rate);
    return Sound(std::move(samples), 1, rate);
}

Sound Sound::silence(double durationMs, int rate) {
    checkRate(rate);
    return Sound(std::vector<float>(framesOf(durationMs, rate)), 1, rate);
}

Sound Sound::fromSamples(std::vector<float> interleaved, int channels, int rate) {
    checkRate(rate);
    if (channels != 1 && channels != 2)
        throw Exception(typeid(Sound), "ARGUMENT ERROR",
                        "A sound has 1 or 2 channels, not " + std::to_string(channels) + ".");
    if (interleaved.size() % static_cast<std::size_t>(channels) != 0)
        throw Exception(typeid(Sound), "ARGUMENT ERROR", "The samples are no whole number of stereo frames.");
    return Sound(std::move(interleaved), channels, rate);
}

Sound Sound::load(const std::string& path, int rate) {
    checkRate(rate);
    const std::string expanded = expandPath(path);
    APISoundFile file = APISoundFile::read(expanded);
    if (file.channels != 1 && file.channels != 2)
        throw Exception(typeid(Sound), "FORMAT ERROR",
                        "The sound file \"" + expanded + "\" has " + std::to_string(file.channels) +
                            " channels; a sound has 1 or 2.");
    if (file.rate < 1000 || file.rate > 384000)
        throw Exception(typeid(Sound), "FORMAT ERROR",
                        "The sound file \"" + expanded + "\" is at " + std::to_string(file.rate) +
                            " Hz, outside 1000..384000 Hz.");
    Sound sound(std::move(file.samples), file.channels, file.rate);
    return sound.rate() == rate ? sound : sound.resampled(rate);
}

Sound Sound::resampled(int rate) const {
    checkRate(rate);
    if (rate == sampleRate)
        return *this;
    const double step = static_cast<double>(sampleRate) / rate; // input samples per output sample
    if (step > 8.0 || step < 1.0 / 8.0)
        throw Exception(typeid(Sound), "FORMAT ERROR",
                        "Will not convert " + std::to_string(sampleRate) + " Hz to " + std::to_string(rate) +
                            " Hz: the ratio is beyond 8.");
    constexpr int crossings = 32;
    // Down-sampling lowers the cut-off to the new Nyquist frequency, widening the kernel.
    const double cutoff = 0.95 * std::min(1.0, 1.0 / step);
    const double half = crossings / cutoff; // kernel half-width in input samples
    const long inFrames = static_cast<long>(frames());
    const std::size_t outFrames = static_cast<std::size_t>(std::llround(inFrames / step));
    std::vector<float> out(outFrames * static_cast<std::size_t>(channelCount));
    const float* in = samples();
    for (std::size_t i = 0; i < outFrames; ++i) {
        const double t = static_cast<double>(i) * step;
        const long first = std::max(0L, static_cast<long>(std::ceil(t - half)));
        const long last = std::min(inFrames - 1, static_cast<long>(std::floor(t + half)));
        double sum[2] = {0.0, 0.0};
        for (long k = first; k <= last; ++k) {
            const double x = t - static_cast<double>(k);
            const double u = x / half;
            const double window = 0.42 + 0.5 * std::cos(pi * u) + 0.08 * std::cos(2.0 * pi * u);
            const double arg = pi * cutoff * x;
            const double weight = cutoff * (arg == 0.0 ? 1.0 : std::sin(arg) / arg) * window;
            for (int c = 0; c < channelCount; ++c)
                sum[c] += weight * in[static_cast<std::size_t>(k) * channelCount + c];
        }
        for (int c = 0; c < channelCount; ++c)
            out[i * channelCount + c] = static_cast<float>(sum[c]);
    }
    Sound converted(std::move(out), channelCount, rate);
    converted.route = route;
    return converted;
}

Sound& Sound::toChannel(int channel) {
    if (channel < -1)
        throw Exception(typeid(Sound), "ARGUMENT ERROR", "An output channel is 0 or more, or -1 for all.");
    route = channel;
    return *this;
}

} // namespace Stimora
