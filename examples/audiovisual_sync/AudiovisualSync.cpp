// A flash and a click on the same frame, 20 times, with the log of when each was meant to
// start and when it did.
//
// A white square flashes for one frame at the centre of a dark screen every 0.5 to 1 s, and a
// click (a 2 kHz tone of 5 ms with 1 ms ramps) is scheduled with Canvas::playAtFlip for the
// onset of that same frame: the canvas predicts the onset on its refresh grid as the flip
// begins, the sound output places the click's first sample so that it reaches the output
// then (sample-accurate, not at the next audio buffer), and the frame log marks the click
// beside its flip. A photodiode on the square and a microphone at the speaker show the two
// together; the log says how far apart the framework put them.
//
// Keys: Escape stops early. Output, in the current folder: AudiovisualSync_<date>_<time>.tsv
// (the frame log: one line per flip, then one line per click with the onset asked for and the
// onset the sound output reported, in ms since the log started), a line per click on standard
// output, and the sound and frame timing summaries on standard error. STIMORA_TRIALS sets the
// number of flashes (default 20). Without a sound device the squares still flash, with a
// one-line warning.

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace Stimora;

namespace {

std::unique_ptr<AudioOutput> openAudio() {
    try {
        return std::make_unique<AudioOutput>();
    } catch (const Exception& e) {
        std::fprintf(stderr, "No clicks: %s\n", e.message().c_str());
        return nullptr;
    }
}

int flashesFromEnvironment() {
    const char* text = std::getenv("STIMORA_TRIALS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 20;
}

struct Stopped {};

// frames refreshes of the dark screen; Escape stops.
void dark(Canvas& canvas, int frames) {
    for (int i = 0; i < frames; ++i) {
        if (Keyboard::pushed(Keyboard::escape))
            throw Stopped();
        canvas.clear(Color(0.1), Canvas::back);
        canvas.flip();
    }
}

} // namespace

int main() {
    return runExample([] {
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        std::unique_ptr<AudioOutput> audio = openAudio();
        const int flashes = flashesFromEnvironment();
        const Sound click = Sound::tone(2000.0, 5.0, -6.0, 1.0, audio ? audio->rate() : 48000);
        if (audio)
            canvas.setAudioOutput(*audio);
        canvas.startFrameLog(flashes * 80 + 100);

        Rectangle square(200.0, 200.0);
        square.centerAt(canvas.getCenterX(), canvas.getCenterY());
        try {
            dark(canvas, 30);
            for (int i = 0; i < flashes; ++i) {
                dark(canvas, 30 + Stimora::random(31));
                canvas.clear(Color(0.1), Canvas::back);
                canvas.rect(square, Color::white);
                if (audio)
                    canvas.playAtFlip(click);
                canvas.flip();
            }
            dark(canvas, 30);
        } catch (Stopped&) {
            std::printf("Stopped early\n");
        }
        canvas.stopFrameLog();

        const FrameLog& log = canvas.frameLog();
        for (std::size_t i = 0; i < log.markCount(); ++i) {
            const FrameLog::Mark& m = log.markAt(i);
            std::printf("click %zu: frame %d onset %.3f ms, click asked for %.3f ms, reported %.3f ms "
                        "(%+.3f ms from the frame)\n",
                        i + 1, m.flip, log[static_cast<std::size_t>(m.flip)].onset, m.scheduled, m.reported,
                        m.reported - log[static_cast<std::size_t>(m.flip)].onset);
        }
        const std::string path = expandPath("AudiovisualSync_%TIME_.tsv");
        canvas.saveFrameLog(path);
        std::printf("Frame log with the clicks written to %s\n", path.c_str());
        if (audio)
            std::fprintf(stderr, "%s\n", audio->timingReport().c_str());
        std::fprintf(stderr, "%s\n", canvas.timingReport().c_str());
        return 0;
    });
}
