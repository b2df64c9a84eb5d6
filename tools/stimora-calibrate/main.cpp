// stimora-calibrate: makes or updates a monitor profile. It shows full-screen patches, takes a
// photometer reading of each, fits the display's luminance response (a power function with an
// offset and a monotone spline), applies the fit, validates it by reading nine luminances asked
// for through it, and writes the profile and a figure. Every reading goes to a journal first,
// so an interrupted calibration loses nothing and a new run with the same settings resumes.

#include <Stimora.h>

#include "analysis/ResponseFit.h"
#include "devices/ManualPhotometer.h"
#include "devices/PR655Photometer.h"

#include "CalibrationFigure.h"
#include "CalibrationJournal.h"
#include "KeyboardPhotometer.h"
#include "SimulatedPhotometer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Stimora;
using namespace Stimora::Analysis;

namespace {

const char* const usage = R"(Usage: stimora-calibrate [options]

Makes or updates a monitor profile: shows full-screen grey patches (and, with --primaries, red,
green and blue ones) at evenly spaced values, reads each with a photometer, fits the display's
response with a power function with an offset, L = a + (b v)^gamma, and with a monotone spline,
applies the fit, then validates it: nine luminances from 10 % to 90 % of the range are asked
for through the calibration and read again, and the error of each is reported in % of the
luminance asked for, beside what one 8-bit step of the display is there. It writes the profile
(JSON) and a figure of the readings, both fits and their residuals, and names both.

Aim the photometer at the centre of the screen. A thin bar at the bottom shows the progress.
Every reading goes to a journal beside the profile before the next patch; a run that is
interrupted (a crash, Ctrl+C, a photometer that stops answering) loses no reading, and the next
run with the same settings resumes after the last reading kept. A profile is only written once
the whole calibration is complete, and it replaces the old one only when fully written.

Options:
  --profile NAME|PATH    the profile: a name (kept as %USER_SETTING%profiles/NAME.json) or a
                         file path (with '/' or ending in .json) (default: default)
  --name NAME            the profile's name inside the file (default: the file's name)
  --width-cm CM          width of the screen's picture, cm  } needed for a new profile;
  --height-cm CM         height of the screen's picture, cm } given for an existing one,
  --distance-cm CM       viewing distance, cm               } they replace its values
  --photometer KIND      manual: the experimenter types each reading: on the screen, over
                                 the patch, when standard input is a terminal (digits and '.',
                                 Left erases, Enter takes it, Escape stops); else one number a
                                 line on standard input (readings can be piped in)
                         pr655:DEVICE: a Photo Research PR-655 / PR-670 on a serial line
                         simulated: a simulated PR-655 on a pseudo-terminal that reads the
                                 pixels shown through L = 0.5 + 119.5 v^2.3 cd/m2 with 0.5 %
                                 noise (for trying the tool and for tests)
                         (default: manual)
  --levels N             values per channel, 0 to 1 evenly (default: 17; at least 3)
  --primaries            also measure red, green and blue alone (per-channel luminance)
  --model KIND           the model applied: power, spline or auto (power unless its residuals'
                         root mean square exceeds 1 %) (default: auto)
  --figure PATH          the figure (.png, .pdf or .svg) (default: the profile's path with .png)
  --journal PATH         the journal (default: the profile's path with .journal)
  --restart              discard a journal and start afresh
  --settle-frames N      frames each patch is shown before it is read (default: 30)
  --timeout-ms MS        how long to wait for a serial photometer's answer (default: 30000)
  --seed N               the simulated photometer's noise seed (default: 1)
  --window WxH           a window of W x H pixels instead of the full screen (for trying)
  --help                 this text

Exit code 0 when the profile was written; 1 on an error, named on one line.
)";

struct Options {
    std::string profile = "default", name, photometer = "manual", model = "auto", figure, journal, window;
    double widthCm = 0.0, heightCm = 0.0, distanceCm = 0.0;
    int levels = 17, settle = 30, timeoutMs = 30000;
    unsigned seed = 1;
    bool primaries = false, restart = false;
};

double number(const std::string& option, const char* text, double low, double high = 1e6) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (!end || *end != '\0' || end == text || !std::isfinite(v) || v < low || v > high)
        throw std::runtime_error(option + " needs a number from " + std::to_string(static_cast<long>(low)) +
                                 " to " + std::to_string(static_cast<long>(high)) + ", not \"" + text + "\"");
    return v;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (a == "--profile") {
            o.profile = value();
        } else if (a == "--name") {
            o.name = value();
        } else if (a == "--width-cm") {
            o.widthCm = number(a, value(), 1);
        } else if (a == "--height-cm") {
            o.heightCm = number(a, value(), 1);
        } else if (a == "--distance-cm") {
            o.distanceCm = number(a, value(), 1);
        } else if (a == "--photometer") {
            o.photometer = value();
        } else if (a == "--levels") {
            o.levels = static_cast<int>(number(a, value(), 3, 256));
        } else if (a == "--primaries") {
            o.primaries = true;
        } else if (a == "--model") {
            o.model = value();
            if (o.model != "power" && o.model != "spline" && o.model != "auto")
                throw std::runtime_error("--model is power, spline or auto, not \"" + o.model + "\"");
        } else if (a == "--figure") {
            o.figure = value();
        } else if (a == "--journal") {
            o.journal = value();
        } else if (a == "--restart") {
            o.restart = true;
        } else if (a == "--settle-frames") {
            o.settle = static_cast<int>(number(a, value(), 1, 10000));
        } else if (a == "--timeout-ms") {
            o.timeoutMs = static_cast<int>(number(a, value(), 1, 1e7));
        } else if (a == "--seed") {
            o.seed = static_cast<unsigned>(number(a, value(), 0, 4e9));
        } else if (a == "--window") {
            o.window = value();
        } else {
            throw std::runtime_error("unknown option \"" + a + "\" (see --help)");
        }
    }
    return o;
}

bool exists(const std::string& path) {
    struct stat s {};
    return stat(path.c_str(), &s) == 0;
}

std::string withoutJson(const std::string& path) {
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0 ? path.substr(0, path.size() - 5)
                                                                             : path;
}

std::string nowUtc() {
    char text[32];
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// One patch to read: a channel at a value, or a validation level through the calibration.
struct Step {
    int channel;  // 0 grey, 1 red, 2 green, 3 blue; -1 validation
    double value; // the value sent, or the fraction of the range asked for
    std::string what;
};

const char* const channelNames[4] = {"grey", "red", "green", "blue"};

// The patch, full screen, with the progress bar along the bottom edge (not yet flipped).
void drawPatch(Canvas& canvas, const Color& patch, double progress) {
    const int w = canvas.getWidth(), h = canvas.getHeight();
    canvas.clear(patch);
    canvas.rect(Rectangle(0, h - 6, w - 1, h - 1), Color(Color::raw, 0.0, 0.0, 0.0, 1.0));
    if (progress * w >= 2.0)
        canvas.rect(Rectangle(0, h - 5, progress * w - 1, h - 2), Color(Color::raw, 0.0, 0.6, 1.0, 1.0));
}

// The patch shown for frames refreshes before it is read.
void show(Canvas& canvas, const Color& patch, double progress, int frames, SimulatedPhotometer* simulated) {
    const int w = canvas.getWidth(), h = canvas.getHeight();
    drawPatch(canvas, patch, progress);
    if (simulated) {
        // What the instrument sees: the pixel at the centre, read back from the frame shown.
        Image pixel(2, 2, Image::RGB, Image::BYTE);
        const int cx = w / 2, cy = h / 2;
        canvas.capture(pixel, Rectangle(cx, cy, cx + 1, cy + 1));
        const auto* p = static_cast<const unsigned char*>(static_cast<const Image&>(pixel).getBuffer());
        simulated->show(p[0], p[1], p[2]);
    }
    canvas.flip(frames);
    canvas.flip(); // the patch is now up for frames refreshes
}

void fitChannel(MonitorProfile::Channel& channel, const char* name) {
    ResponseFit::fit(channel);
    std::printf("%s: L = %.4g + (%.5g v)^%.4f cd/m2; rms residual: power %.2f %%, spline %.2f %%\n", name,
                channel.power.offset, channel.power.scale, channel.power.gamma,
                ResponseFit::rms(channel.powerResiduals), ResponseFit::rms(channel.splineResiduals));
}

int run(int argc, char** argv) {
    const Options o = parse(argc, argv);
    const std::string path = MonitorProfile::locate(o.profile);
    MonitorProfile profile;
    const bool update = exists(path);
    if (update)
        profile = MonitorProfile::load(path); // a bad profile stops here, untouched
    if (o.widthCm > 0)
        profile.widthCm = o.widthCm;
    if (o.heightCm > 0)
        profile.heightCm = o.heightCm;
    if (o.distanceCm > 0)
        profile.distanceCm = o.distanceCm;
    if (!(profile.widthCm > 0 && profile.heightCm > 0 && profile.distanceCm > 0))
        throw std::runtime_error("a new profile needs --width-cm, --height-cm and --distance-cm");
    if (!o.name.empty())
        profile.name = o.name;
    if (profile.name.empty()) {
        const std::string base = withoutJson(path);
        profile.name = base.substr(base.rfind('/') + 1);
    }
    const std::string journalPath = o.journal.empty() ? withoutJson(path) + ".journal" : o.journal;
    const std::string figurePath = o.figure.empty() ? withoutJson(path) + ".png" : o.figure;
    const std::string settings = "levels " + std::to_string(o.levels) + ", primaries " +
                                 (o.primaries ? "yes" : "no") + ", model " + o.model;

    // The plan: every channel at every value, then the validation levels.
    std::vector<Step> plan;
    for (int c = 0; c < (o.primaries ? 4 : 1); ++c)
        for (int k = 0; k < o.levels; ++k) {
            const double v = static_cast<double>(k) / (o.levels - 1);
            plan.push_back({c, v, channelNames[c] + format(" %.4f", v)});
        }
    const std::size_t measured = plan.size();
    for (int k = 1; k <= 9; ++k)
        plan.push_back({-1, k / 10.0, format("validation %.0f %% of range", k * 10.0)});

    startUp();
    CalibrationJournal journal(journalPath, settings, o.restart);
    if (!journal.readings().empty())
        std::fprintf(stderr, "Resuming %s: %zu readings kept, continuing at reading %zu of %zu.\n",
                     journalPath.c_str(), journal.readings().size(), journal.readings().size() + 1,
                     plan.size());

    std::unique_ptr<SimulatedPhotometer> simulated;
    std::unique_ptr<Photometer> photometer;
    ManualPhotometer* manual = nullptr;
    KeyboardPhotometer* keyboard = nullptr;
    // Typed readings come from the screen when a person sits at a terminal, else from the pipe.
    const bool onScreen = o.photometer == "manual" && isatty(STDIN_FILENO);
    if (o.photometer == "manual" && !onScreen) {
        manual = new ManualPhotometer(stdin, stderr);
        photometer.reset(manual);
    } else if (onScreen) {
    } else if (o.photometer == "simulated") {
        simulated.reset(new SimulatedPhotometer(o.seed));
        photometer.reset(new PR655Photometer(simulated->device(), o.timeoutMs));
    } else if (o.photometer.compare(0, 6, "pr655:") == 0) {
        photometer.reset(new PR655Photometer(o.photometer.substr(6), o.timeoutMs));
    } else {
        throw std::runtime_error("--photometer is manual, pr655:DEVICE or simulated, not \"" + o.photometer +
                                 "\"");
    }

    std::unique_ptr<Canvas> canvas;
    int ww = 0, wh = 0;
    if (!o.window.empty() && std::sscanf(o.window.c_str(), "%dx%d", &ww, &wh) == 2 && ww > 0 && wh > 0)
        canvas.reset(new Canvas(ww, wh, Display::primary()));
    else if (!o.window.empty())
        throw std::runtime_error("--window needs WxH, such as 800x600, not \"" + o.window + "\"");
    else
        canvas.reset(new Canvas(Canvas::fullscreen, Display::primary()));
    Color shown;
    double progress = 0.0;
    if (onScreen) {
        keyboard = new KeyboardPhotometer(*canvas, [&] { drawPatch(*canvas, shown, progress); });
        photometer.reset(keyboard);
    }
    if (update && (profile.pixelWidth != canvas->getWidth() || profile.pixelHeight != canvas->getHeight() ||
                   std::fabs(profile.refreshRate - canvas->getRefreshRate()) >= 0.5))
        std::fprintf(stderr,
                     "The profile was made for %d x %d at %.3g Hz; it now records %d x %d at %.3g Hz.\n",
                     profile.pixelWidth, profile.pixelHeight, profile.refreshRate, canvas->getWidth(),
                     canvas->getHeight(), canvas->getRefreshRate());
    profile.pixelWidth = canvas->getWidth();
    profile.pixelHeight = canvas->getHeight();
    profile.refreshRate = canvas->getRefreshRate();
    Color::resetCalibration();

    MonitorProfile::Calibration calibration;
    calibration.model = o.model;
    MonitorProfile::Channel* channels[4] = {&calibration.grey, &calibration.red, &calibration.green,
                                            &calibration.blue};
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const Step& step = plan[i];
        if (i == measured) {
            // Every channel read: fit, choose the model, and calibrate through it.
            for (int c = 0; c < (o.primaries ? 4 : 1); ++c)
                fitChannel(*channels[c], channelNames[c]);
            if (calibration.model == "auto")
                calibration.model =
                    ResponseFit::rms(calibration.grey.powerResiduals) <= 1.0 ? "power" : "spline";
            profile.calibration = calibration;
            profile.applyCalibration();
        }
        Color patch;
        double asked = 0.0;
        if (step.channel >= 0) {
            const double v = step.value;
            patch = step.channel == 0 ? Color(Color::raw, v, v, v, 1.0)
                                      : Color(Color::raw, step.channel == 1 ? v : 0.0,
                                              step.channel == 2 ? v : 0.0, step.channel == 3 ? v : 0.0, 1.0);
        } else {
            const Color::Photometry& p = Color::photometry;
            asked = p.black + step.value * (p.white - p.black);
            patch = Color::luminance(asked);
        }
        double reading;
        if (i < journal.readings().size()) {
            reading = journal.readings()[i];
        } else {
            shown = patch;
            progress = static_cast<double>(i) / plan.size();
            show(*canvas, patch, progress, o.settle, simulated.get());
            const std::string question =
                format("Reading %.0f of %.0f, ", i + 1.0, static_cast<double>(plan.size())) + step.what +
                ": luminance (cd/m2)? ";
            if (manual)
                manual->setQuestion(question);
            if (keyboard)
                keyboard->setQuestion(question);
            reading = photometer->measure();
            journal.append(step.what, reading);
            std::fprintf(stderr, "reading %zu of %zu: %s: %.4g cd/m2\n", i + 1, plan.size(),
                         step.what.c_str(), reading);
        }
        if (step.channel >= 0) {
            channels[step.channel]->values.push_back(step.value);
            channels[step.channel]->luminances.push_back(reading);
        } else {
            MonitorProfile::Check k;
            k.requested = asked;
            k.measured = reading;
            k.errorPercent = 100.0 * (reading - asked) / asked;
            // One 8-bit step of the display at the value sent, from the applied response.
            const ResponseCurve curve = profile.response(profile.calibration.grey);
            const double q = std::round(patch.r * 255.0);
            k.stepPercent = 100.0 *
                            (curve.luminance(std::min(255.0, q + 1.0) / 255.0) - curve.luminance(q / 255.0)) /
                            asked;
            profile.calibration.validation.push_back(k);
        }
    }
    canvas->clear(Color(Color::raw, 0.0, 0.0, 0.0, 1.0));
    canvas->flip();
    canvas.reset();

    std::printf("Validation through the %s calibration (%s):\n", profile.calibration.model.c_str(),
                photometer->describe().c_str());
    bool within = true;
    for (std::size_t i = 0; i < profile.calibration.validation.size(); ++i) {
        const MonitorProfile::Check& k = profile.calibration.validation[i];
        const bool ok = std::fabs(k.errorPercent) <= 2.0;
        within = within && ok;
        std::printf("  %2zu0 %%: asked %8.3f cd/m2, read %8.3f cd/m2, error %+6.2f %%   (one 8-bit step: "
                    "%.2f %%)%s\n",
                    i + 1, k.requested, k.measured, k.errorPercent, k.stepPercent, ok ? "" : "  over 2 %");
    }
    std::printf(within ? "Every level is within 2 %% of the luminance asked for.\n"
                       : "Some levels are off by more than 2 %%: check the photometer's aim and warm-up.\n");
    profile.calibration.date = nowUtc();
    profile.save(path);
    CalibrationFigure::write(figurePath, profile);
    journal.finish();
    std::printf("Wrote %s\nWrote %s\n", path.c_str(), figurePath.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Exception& e) {
        std::fprintf(stderr, "stimora-calibrate: %s\n",
                     e.message().empty() ? e.text().c_str() : e.message().c_str());
    } catch (Exception* e) {
        std::fprintf(stderr, "stimora-calibrate: %s\n", e->message().c_str());
        delete e;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stimora-calibrate: %s\n", e.what());
    }
    return 1;
}
