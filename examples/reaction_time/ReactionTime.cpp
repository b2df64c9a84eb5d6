// Simple reaction time, timed from the frame the stimulus appeared in.
//
// A white fixation cross sits on a dark screen for a random foreperiod (1 to 2 s, drawn from
// the framework's generator); then a white disc appears and the observer presses the space
// bar as fast as possible. The response time is the key's time stamp (taken when the press
// reached the program, even while a frame was being held) minus the onset of the disc's
// frame (the time its flip returned), so it does not depend on how often the program polls.
// A press before the disc is an anticipation; no press within 1.5 s is a miss.
//
// Keys: space starts the run and answers; Escape stops early (the trials so far are saved).
// With --response-box PATH [--baud N] the answers come from a button box on that serial line
// instead (any button; a box sends one byte per press), stamped as its bytes arrive, and a
// button also starts the run; Escape still stops it.
// Output, in the current folder: ReactionTime_<date>_<time>.dat (one line per trial; a run
// started in the same second as another gets _2, _3 ...) and
// ReactionTime_<date>_<time>_frames.tsv (the frame log: one line per flip), and a timing
// summary on standard error. STIMORA_TRIALS sets the number of trials (default 20).

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace Stimora;

namespace {

constexpr double responseWindowMs = 1500.0;

struct Trial {
    double foreperiod = 0.0; // ms, as shown (whole frames)
    double onset = 0.0;      // ms since the run started
    double rt = -1.0;        // ms; -1 when there is none
    const char* outcome = "miss";
};

struct Stopped {};

int trialsFromEnvironment() {
    const char* text = std::getenv("STIMORA_TRIALS");
    const int n = text != nullptr ? std::atoi(text) : 0;
    return n > 0 ? n : 20;
}

void drawFixation(Canvas& canvas) {
    const Point c = canvas.getCenter();
    Rectangle bar(21, 3);
    canvas.rect(bar.centerAt(c.x, c.y), Color::white);
    bar.set(3, 21);
    canvas.rect(bar.centerAt(c.x, c.y), Color::white);
}

// Shows text on the dark screen until the space bar (or a box's button) is pushed; Escape
// stops the run.
void waitForSpace(Canvas& canvas, const std::string& text, ResponseBox* box) {
    Keyboard::clear();
    if (box != nullptr)
        box->clearPresses();
    ResponseBox::Press press;
    for (;;) {
        canvas.clear(Color(0.1), Canvas::back);
        canvas.message(text, canvas.getCenterX(), canvas.getCenterY(), Color::white, 1);
        canvas.flip();
        if (Keyboard::pushed(Keyboard::escape))
            throw Stopped();
        if (Keyboard::pushed(Keyboard::space) || (box != nullptr && box->nextPress(press)))
            return;
    }
}

// The answer's time: the box's next press, or with no box the next space bar press; false
// when none is waiting. Escape stops the run.
bool nextAnswer(ResponseBox* box, Clock& time) {
    Keyboard::Event event;
    while (Keyboard::nextEvent(event)) {
        if (!event.down)
            continue;
        if (event.is(Keyboard::escape))
            throw Stopped();
        if (box == nullptr && event.is(Keyboard::space)) {
            time = event.time;
            return true;
        }
    }
    ResponseBox::Press press;
    if (box != nullptr && box->nextPress(press)) {
        time = press.time;
        return true;
    }
    return false;
}

Trial runTrial(Canvas& canvas, Clock start, ResponseBox* box) {
    Trial trial;
    const int foreperiodFrames = roundToInt(Stimora::random(1000.0, 2000.0) / canvas.getFramePeriod());
    trial.foreperiod = foreperiodFrames * canvas.getFramePeriod();

    // The fixation frame is held for the whole foreperiod; presses during it are queued.
    canvas.clear(Color(0.1), Canvas::back);
    drawFixation(canvas);
    canvas.flip(foreperiodFrames);
    Keyboard::clearEvents();
    if (box != nullptr)
        box->clearPresses();

    const Point c = canvas.getCenter();
    Rectangle disc(61, 61);
    disc.centerAt(c.x, c.y);
    canvas.clear(Color(0.1), Canvas::back);
    canvas.ellipse(disc, Color::white);
    canvas.flip();
    const Clock onset = canvas.getLastFlipTime();
    trial.onset = (onset - start).milliseconds();

    Clock answer;
    for (;;) {
        if (nextAnswer(box, answer)) {
            trial.rt = (answer - onset).milliseconds();
            trial.outcome = trial.rt < 0.0 ? "anticipation" : "hit";
            return trial;
        }
        if ((Clock::now() - onset).milliseconds() > responseWindowMs)
            return trial;
        canvas.clear(Color(0.1), Canvas::back);
        canvas.ellipse(disc, Color::white);
        canvas.flip();
    }
}

void save(const std::string& path, const std::vector<Trial>& trials) {
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    file << "ReactionTime\r\nTRIAL#\tForeperiod_ms\tOnset_ms\tRT_ms\tOutcome\t\r\n";
    char line[160];
    for (std::size_t i = 0; i < trials.size(); ++i) {
        const Trial& t = trials[i];
        std::snprintf(line, sizeof line, "%zu\t%.1f\t%.3f\t%.3f\t%s\t\r\n", i + 1, t.foreperiod, t.onset,
                      t.rt, t.outcome);
        file << line;
    }
    if (!file)
        throw Exception(typeid(Trial), "FILE ERROR", "Cannot write " + path);
}

// Claims the result file of this run: ReactionTime_<date>_<time>, numbered _2, _3 ... when a
// run that started in the same second already holds the name. Created empty here, so that
// two runs can never write to one file.
std::string claimStem(const std::string& base) {
    for (int n = 1;; ++n) {
        const std::string stem = n == 1 ? base : base + "_" + std::to_string(n);
        const int fd = open((stem + ".dat").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            close(fd);
            return stem;
        }
        if (errno != EEXIST)
            throw Exception(typeid(Trial), "FILE ERROR",
                            "Cannot create " + stem + ".dat: " + std::strerror(errno));
    }
}

} // namespace

// The response box the command line names (--response-box PATH [--baud N]), or none.
std::unique_ptr<ResponseBox> boxFromArguments(int argc, char** argv) {
    std::string path;
    SerialPort::Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--response-box") == 0)
            path = argv[i + 1];
        else if (std::strcmp(argv[i], "--baud") == 0)
            settings.baud = std::atoi(argv[i + 1]);
        else
            throw Exception(typeid(Trial), "ARGUMENT ERROR",
                            std::string("unknown option ") + argv[i] + " (--response-box PATH [--baud N])");
    }
    if (argc % 2 == 0)
        throw Exception(typeid(Trial), "ARGUMENT ERROR",
                        "usage: reaction_time [--response-box PATH [--baud N]]");
    return path.empty() ? nullptr : std::make_unique<ResponseBox>(path, settings);
}

int main(int argc, char** argv) {
    return runExample([&] {
        std::unique_ptr<ResponseBox> box = boxFromArguments(argc, argv);
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        const int count = trialsFromEnvironment();
        const std::string stem = claimStem(expandPath("ReactionTime_%TIME_"));
        canvas.startFrameLog(count * 1000 + 10000);

        std::vector<Trial> trials;
        try {
            waitForSpace(canvas,
                         box ? "Press a button as soon as the disc appears. A button or space to start."
                             : "Press the space bar as soon as the disc appears. Space to start.",
                         box.get());
            const Clock start = Clock::now();
            while (static_cast<int>(trials.size()) < count)
                trials.push_back(runTrial(canvas, start, box.get()));
        } catch (Stopped&) {
            std::printf("Stopped after %zu trials\n", trials.size());
        }
        save(stem + ".dat", trials);
        canvas.saveFrameLog(stem + "_frames.tsv");
        std::printf("Results written to %s.dat, frame log to %s_frames.tsv\n", stem.c_str(), stem.c_str());
        return 0;
    });
}
