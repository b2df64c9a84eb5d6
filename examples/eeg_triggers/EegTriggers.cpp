// Pattern-reversal checkerboard for an EEG recording, with a trigger code at every reversal.
//
// A black-and-white checkerboard with a red fixation dot reverses twice a second (every
// 500 ms: a 1 Hz cycle, 2 reversals per second) in blocks of two conditions, large checks
// (code 11) and small checks (code 12), alternating ABAB. At every reversal the condition's
// code goes to the recording as the reversed frame appears: it is written right after that
// frame's swap returns. The program flips every refresh, so that a pulse ends at the first
// flip after its width, well before the next reversal.
//
// The trigger device, one of:
//   --serial PATH [--baud N]   one byte per code on a serial line (USB trigger interfaces)
//   --parallel PATH            the code on a parallel port's data lines (/dev/parport0)
//   --udp HOST:PORT            one datagram per code, the code as decimal text
//   --pulse MS                 lines back to 0 after MS (default 10; serial and parallel only)
// Keys: Escape stops early (what was shown is saved). STIMORA_REVERSALS sets the reversals per
// block (default 40).
//
// Output, in the current folder: EegTriggers_<date>_<time>_events.tsv, one line per reversal:
// the block, the condition, the code, the reversed frame's onset and the time the code was
// written, both in ms from the start of the log; and EegTriggers_<date>_<time>_frames.tsv, the
// frame log (one line per flip, then the trigger marks). To align with the recording, match the
// sequence of codes in the recording's event channel with the events file: the offset between
// a code's sample time and its write_ms is the same for every code, within the write latency
// (the write_ms minus onset_ms column).

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

using namespace Stimora;

namespace {

struct Condition {
    const char* name;
    int code;
    int check; // pixels
};
constexpr Condition conditions[] = {{"large checks", 11, 96}, {"small checks", 12, 32}};
constexpr int blocks = 4;
constexpr double reversalMs = 500.0;

struct Reversal {
    int block = 0;
    const Condition* condition = nullptr;
};

const char* usage = "usage: eeg_triggers (--serial PATH [--baud N] | --parallel PATH | --udp HOST:PORT) "
                    "[--pulse MS]\n";

// The trigger the command line names; null (after printing the usage) when it names none.
std::unique_ptr<Trigger> triggerFromArguments(int argc, char** argv) {
    std::string serial, parallel, udp;
    SerialPort::Settings settings;
    settings.listen = false;
    double pulse = 10.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--serial")
            serial = value;
        else if (option == "--baud")
            settings.baud = std::atoi(value.c_str());
        else if (option == "--parallel")
            parallel = value;
        else if (option == "--udp")
            udp = value;
        else if (option == "--pulse")
            pulse = std::atof(value.c_str());
        else
            return nullptr;
    }
    std::unique_ptr<Trigger> trigger;
    if (!serial.empty())
        trigger = std::make_unique<SerialTrigger>(serial, settings);
    else if (!parallel.empty())
        trigger = std::make_unique<ParallelTrigger>(parallel);
    else if (udp.find(':') != std::string::npos)
        trigger = std::make_unique<UdpTrigger>(udp.substr(0, udp.rfind(':')),
                                               std::atoi(udp.substr(udp.rfind(':') + 1).c_str()));
    if (trigger)
        trigger->setPulseWidth(pulse);
    return trigger;
}

int reversalsFromEnvironment() {
    const char* text = std::getenv("STIMORA_REVERSALS");
    const int n = text != nullptr ? std::atoi(text) : 0;
    return n > 0 ? n : 40;
}

// One phase of the checkerboard over the whole screen: the checks of one colour on a
// background of the other, centred so that a check corner sits on the fixation dot.
void drawBoard(Canvas& canvas, const Condition& condition, int phase) {
    const int w = canvas.getWidth(), h = canvas.getHeight(), s = condition.check;
    const Point c = canvas.getCenter();
    canvas.clear(phase != 0 ? Color::white : Color::black, Canvas::back);
    const Color& ink = phase != 0 ? Color::black : Color::white;
    const int x0 = static_cast<int>(c.x + 0.5) % (2 * s) - 2 * s,
              y0 = static_cast<int>(c.y + 0.5) % (2 * s) - 2 * s;
    for (int y = y0, row = 0; y < h; y += s, ++row)
        for (int x = x0 + (row % 2) * s; x < w; x += 2 * s)
            canvas.rect(Rectangle(x, y, x + s - 1, y + s - 1), ink);
    Rectangle dot(9, 9);
    canvas.ellipse(dot.centerAt(c.x, c.y), Color::red);
}

void saveEvents(const std::string& path, const FrameLog& log, const std::vector<Reversal>& reversals) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw Exception(typeid(Reversal), "FILE ERROR", "Cannot write " + path + ": " + std::strerror(errno));
    std::fprintf(file, "reversal\tblock\tcondition\tcode\tframe\tonset_ms\twrite_ms\r\n");
    std::size_t n = 0;
    for (std::size_t i = 0; i < log.markCount(); ++i) {
        const FrameLog::Mark& m = log.markAt(i);
        if (std::strcmp(m.kind, "trigger") != 0 || n >= reversals.size())
            continue;
        const Reversal& r = reversals[n];
        std::fprintf(file, "%zu\t%d\t%s\t%lld\t%d\t%.3f\t%.3f\r\n", ++n, r.block + 1, r.condition->name,
                     m.value, m.flip, m.scheduled, m.reported);
    }
    if (std::fclose(file) != 0)
        throw Exception(typeid(Reversal), "FILE ERROR", "Cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    return runExample([&] {
        std::unique_ptr<Trigger> trigger = triggerFromArguments(argc, argv);
        if (!trigger) {
            std::fputs(usage, stderr);
            return 2;
        }
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        const int perBlock = reversalsFromEnvironment();
        const int hold = std::max(1, roundToInt(reversalMs / canvas.getFramePeriod()));
        const std::string stem = expandPath("EegTriggers_%TIME_");
        canvas.startFrameLog(blocks * perBlock * hold + 100);
        canvas.addFlipListener(*trigger);

        std::vector<Reversal> reversals;
        reversals.reserve(static_cast<std::size_t>(blocks * perBlock));
        bool stopped = false;
        for (int block = 0; block < blocks && !stopped; ++block) {
            const Condition& condition = conditions[block % 2];
            for (int r = 0; r < perBlock && !stopped; ++r) {
                for (int frame = 0; frame < hold && !stopped; ++frame) {
                    drawBoard(canvas, condition, r % 2);
                    if (frame == 0) {
                        trigger->sendAtFlip(condition.code);
                        reversals.push_back({block, &condition});
                    }
                    canvas.flip();
                    stopped = Keyboard::pushed(Keyboard::escape);
                }
            }
        }
        // Let the last pulse end before the port closes.
        for (int frame = 0; frame < hold / 10 + 2; ++frame) {
            drawBoard(canvas, conditions[0], 0);
            canvas.flip();
        }
        canvas.removeFlipListener(*trigger);
        canvas.stopFrameLog();
        saveEvents(stem + "_events.tsv", canvas.frameLog(), reversals);
        canvas.saveFrameLog(stem + "_frames.tsv");
        std::printf("%zu reversals; events written to %s_events.tsv, frame log to %s_frames.tsv\n",
                    reversals.size(), stem.c_str(), stem.c_str());
        return 0;
    });
}
