#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "CanvasFixture.h"
#include "ExpectException.h"
#include "JackServer.h"
#include "Platform.h"
#include "devices/AudioOutput.h"
#include "devices/Sound.h"
#include "display/Canvas.h"
#include "display/FrameLog.h"

namespace Stimora::Testing {
namespace {

// A click on each of 50 frames under a simulated refresh: each sound's reported onset is its
// frame's onset, within 1 ms plus the output latency the device states, and the frame log marks
// it beside its flip. Errors (missing device, unreadable file, wrong rate, the server gone)
// raise theirs and the frames go on.
TEST(CanvasSound, ClicksLockToTheirFramesAndErrorsStopNoFrame) {
    platformSetPriorityClass(0x80); // ahead of other work on the machine, where allowed
    JackServer jack(48000, 256);
    ASSERT_TRUE(jack.client) << "jackd did not start";
    setenv("STIMORA_SIMULATED_REFRESH", "60", 1);
    std::unique_ptr<Canvas> canvas = openWindowCanvas();
    unsetenv("STIMORA_SIMULATED_REFRESH");

    EXPECT_NE(errorOf([] {
                  AudioOutput({"JACK", "no such device", 48000, 2, 0.0});
              }).find("no such device"),
              std::string::npos);
    EXPECT_NE(errorOf([] { Sound::load("/no/such/click.ogg"); }).find("/no/such/click.ogg"),
              std::string::npos);
    canvas->flip();
    AudioOutput audio(AudioOutput::Settings{"JACK", "", 48000, 2, 0.0});
    canvas->setAudioOutput(audio).startFrameLog(100);
    EXPECT_NE(
        errorOf([&] { canvas->playAtFlip(Sound::tone(1000.0, 5.0, -6.0, 1.0, 44100)); }).find("44100 Hz"),
        std::string::npos);
    canvas->flip();

    const Sound click = Sound::tone(2000.0, 5.0, -6.0, 1.0, 48000);
    std::vector<long long> ids;
    std::vector<Clock> onsets;
    for (int i = 0; i < 50; ++i) {
        ids.push_back(canvas->playAtFlip(click));
        canvas->flip();
        onsets.push_back(canvas->getLastFlipTime());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const FrameLog& log = canvas->stopFrameLog().frameLog();
    ASSERT_EQ(log.markCount(), 50u);
    const double tolerance = 1.0 + audio.outputLatencyMs();
    int checked = 0;
    for (int i = 0; i < 50; ++i) {
        // A frame that missed its refresh came after its sound, which keeps to the grid.
        if (log[static_cast<std::size_t>(log.markAt(static_cast<std::size_t>(i)).flip)].missed > 0)
            continue;
        ++checked;
        const AudioOutput::SoundTiming t = audio.timing(ids[i]);
        ASSERT_TRUE(t.started) << i;
        EXPECT_NEAR((t.onset - onsets[i]).milliseconds(), 0.0, tolerance) << "sound " << i;
        const FrameLog::Mark& m = log.markAt(static_cast<std::size_t>(i));
        EXPECT_EQ(m.value, ids[i]);
        EXPECT_NEAR(m.reported, log[static_cast<std::size_t>(m.flip)].onset, tolerance) << "mark " << i;
    }
    EXPECT_GE(checked, 40) << "too many frames dropped to tell";
    std::cout << audio.timingReport() << "\n";

    jack.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_NE(errorOf([&] { canvas->playAtFlip(click); }).find("lost"), std::string::npos);
    const Clock before = canvas->getLastFlipTime();
    canvas->flip().flip();
    EXPECT_GT(canvas->getLastFlipTime(), before);
}

} // namespace
} // namespace Stimora::Testing
