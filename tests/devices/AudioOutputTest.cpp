#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "CountingAllocations.h"
#include "ExpectException.h"
#include "JackServer.h"
#include "devices/AudioMixer.h"
#include "devices/AudioOutput.h"
#include "devices/Sound.h"

namespace Stimora::Testing {
namespace {

constexpr int rate = 48000, period = 256;

// Twenty tones, each asked for an absolute time off the buffer grid, recorded from the server:
// every tone's first non-zero sample lies where its time falls in the server's frame time,
// less the output latency the device states.
TEST(AudioOutput, TonesStartOnTheirSampleAtTheirTime) {
    JackServer jack(rate, period);
    ASSERT_TRUE(jack.client) << "jackd did not start";
    AudioOutput audio(AudioOutput::Settings{"JACK", "", rate, 2, 0.0});
    ASSERT_TRUE(jack.record("Stimora", 8.0));
    const Sound tone = Sound::tone(1000.0, 20.0, -6.0, 0.0, rate);
    std::size_t lead = 0;
    while (tone.samples()[lead] == 0.0f)
        ++lead;

    std::vector<long long> ids;
    std::vector<Clock> times;
    const Clock start = Clock::now() + Clock(500 * Clock::tickRate());
    for (int i = 0; i < 20; ++i) {
        times.push_back(start +
                        Clock(static_cast<std::int64_t>((150.0 * i + 3.7 * i * i) * Clock::tickRate())));
        ids.push_back(audio.play(tone, times.back()));
    }
    // The framework's clock and the server's may run at rates some ppm apart: each time is
    // taken to the server's frames just before it comes. The server's frame timer follows the
    // dummy driver's wake-ups, which a busy machine delays: the median of its readings over
    // five cycles is the reference, not one cycle's.
    std::vector<double> expected;
    std::set<long long> phases;
    for (int i = 0; i < 20; ++i) {
        while ((times[i] - Clock::now()).milliseconds() > 50.0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        double readings[5];
        for (double& reading : readings) {
            reading = jack.frameAt(times[i]);
            std::this_thread::sleep_for(std::chrono::microseconds(1000000 * period / rate + 300));
        }
        std::nth_element(readings, readings + 2, readings + 5);
        const double latency = audio.timing(ids[i]).latencyMs * rate / 1000.0;
        expected.push_back(readings[2] - latency + static_cast<double>(lead));
        phases.insert(std::llround(expected.back()) % period);
    }
    EXPECT_GT(phases.size(), 15u) << "the times should fall across the buffer, not on its start";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(audio.isPlaying(ids.back()));

    std::size_t at = 0;
    for (int i = 0; i < 20; ++i) {
        while (at < jack.filled && jack.samples[at] == 0.0f)
            ++at;
        ASSERT_LT(at, jack.filled) << "tone " << i << " was not recorded";
        const double recorded = static_cast<double>(jack.firstFrame + static_cast<long long>(at));
        // The schedule's sample: the one nearest the time in the server's frames.
        EXPECT_NEAR(recorded, std::round(expected[i]), 1.0) << "tone " << i;
        const AudioOutput::SoundTiming t = audio.timing(ids[i]);
        EXPECT_TRUE(t.started);
        EXPECT_EQ(t.lateMs, 0.0);
        EXPECT_NEAR((t.onset - t.requested).milliseconds(), 0.0, 1000.0 / rate);
        at += tone.frames();
    }
    std::cout << audio.timingReport() << "\n";
}

TEST(AudioOutput, LatePlaysSayHowLateAndSoundsMixAndStop) {
    JackServer jack(rate, period);
    ASSERT_TRUE(jack.client);
    AudioOutput audio(AudioOutput::Settings{"JACK", "", rate, 2, 0.0});
    const Sound beep = Sound::tone(500.0, 1000.0, -20.0, 5.0, rate);
    const long long late = audio.play(beep, Clock::now() - Clock(50 * Clock::tickRate()));
    const long long now = audio.play(Sound::noise(1000.0, -20.0, 5.0, rate).toChannel(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(audio.timing(late).lateMs, 50.0);
    EXPECT_TRUE(audio.isPlaying(late) && audio.isPlaying(now));
    audio.stop(late);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(audio.isPlaying(late));
    EXPECT_TRUE(audio.isPlaying(now));
    EXPECT_NE(errorOf([&] { audio.play(Sound::tone(500.0, 10.0, -20.0, 1.0, 44100)); }).find("44100 Hz"),
              std::string::npos);
}

TEST(AudioOutput, MissingDeviceAndRefusedRateNameTheDeviceAndFormat) {
    JackServer jack(rate, period);
    ASSERT_TRUE(jack.client);
    const std::string missing = errorOf([] { AudioOutput({"JACK", "no such device", rate, 2, 0.0}); });
    EXPECT_NE(missing.find("\"no such device\""), std::string::npos) << missing;
    const std::string refused = errorOf([] { AudioOutput({"JACK", "", 44100, 2, 0.0}); });
    EXPECT_NE(refused.find("44100 Hz"), std::string::npos) << refused;
    EXPECT_NE(refused.find("JACK"), std::string::npos) << refused;
}

TEST(Sound, FilesAreReadAndConvertedOrRefused) {
    const std::string path = ::testing::TempDir() + "tone44100.wav";
    const Sound source = Sound::tone(1000.0, 200.0, -6.0, 0.0, 44100);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(file);
    sf_writef_float(file, source.samples(), static_cast<sf_count_t>(source.frames()));
    sf_close(file);

    const Sound converted = Sound::load(path, 48000);
    const Sound direct = Sound::tone(1000.0, 200.0, -6.0, 0.0, 48000);
    ASSERT_EQ(converted.frames(), direct.frames());
    // Away from the ends (where the kernel runs off the samples) the two agree.
    for (std::size_t i = 500; i + 500 < direct.frames(); ++i)
        ASSERT_NEAR(converted.samples()[i], direct.samples()[i], 2e-3) << i;
    EXPECT_NE(errorOf([] { Sound::load("/no/such/sound.wav"); }).find("/no/such/sound.wav"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { Sound::load(path, 4000); }).find("ratio"), std::string::npos);
}

TEST(AudioMixer, MixesThirtyTwoSoundsWithoutAllocating) {
    if (!STIMORA_COUNT_ALLOCATIONS)
        GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
    AudioMixer mixer(2, rate, 10.0);
    const Sound tone = Sound::tone(440.0, 50.0, -30.0, 1.0, rate);
    std::vector<float> out(period * 2);
    countingAllocations = true;
    allocations = 0;
    for (int i = 0; i < 32; ++i) {
        AudioMixer::Command c;
        c.id = i;
        c.samples = tone.samples();
        c.frames = static_cast<std::int64_t>(tone.frames());
        c.asap = i % 2 == 0;
        mixer.send(c);
    }
    for (int b = 0; b < 20; ++b)
        mixer.render(out.data(), period, 0.01, -1.0, false, Clock::counterNow());
    countingAllocations = false;
    EXPECT_EQ(allocations, 0);
    AudioMixer::Event e;
    int finished = 0;
    while (mixer.receive(e))
        finished += e.type == AudioMixer::Event::finished;
    EXPECT_EQ(finished, 32);
}

} // namespace
} // namespace Stimora::Testing
