// stimora-analyze: from the files an experiment wrote to a summary and figures. Result files of
// Constant, Staircase and Quest (and their .partial journals) get a psychometric fit per
// condition, a table of the levels and the fits, and a psychometric figure; the adaptive
// procedures also an intensity-by-trial figure. A canvas frame log gets a timing summary and
// a timing figure. Outputs go beside each input (or into --output); all are written or none.

#include "analysis/Figures.h"
#include "analysis/FrameTimes.h"
#include "analysis/PsychometricData.h"
#include "analysis/PsychometricFit.h"
#include "analysis/ResultTable.h"
#include "base/Exception.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace Stimora;
using namespace Stimora::Analysis;

namespace {

const char* const usage = R"(Usage: stimora-analyze [options] FILE...

Each FILE is a result file of Constant, Staircase or Quest (or the .partial journal of a run
that ended early), or a frame log saved by the canvas. For a result file NAME.dat it writes
  NAME_levels.tsv        per condition and intensity: trials, correct, proportion, 95 % interval
  NAME_fit.tsv           per condition: the fit, threshold and slope with 95 % intervals,
                         deviance and its bootstrap p-value, and whether the fit converged
  NAME_psychometric.EXT  the psychometric figure
  NAME_track.EXT         Staircase and Quest: intensity by trial with reversals and the estimate
and for a frame log NAME.tsv
  NAME_timing.tsv        flips, refreshes missed, the interval per frame asked (each flip's
                         interval over the refreshes it was to last: mean, sd, maximum),
                         nominal period
  NAME_timing.EXT        interval by flip with the nominal period and drops, and a histogram
It names every file it wrote. It never overwrites an input, nor an existing output without
--force; on any error it says which file and line, writes nothing and exits with 1.

Options:
  --intensity LABEL   the intensity column (default: Constant's first variable; the
                      intensity of Staircase and Quest)
  --response LABEL    the column of 1 (correct) and 0 (wrong) (default: "Correct" for
                      Constant; the response of Staircase and Quest)
  --by LABEL          a variable whose values are separate conditions; repeat for more
                      (default: none, all trials in one condition)
  --model NAME        weibull, logistic or gaussian (cumulative Gaussian) (default: weibull,
                      or logistic where an intensity is at or below 0)
  --guess RATE        proportion correct by guessing, fixed (default: the file's fixed
                      variable "Guess rate" if there is one, otherwise 0.5)
  --lapse RATE|free   the lapse rate, fixed at RATE or free (default: free)
  --max-lapse RATE    upper bound of a free lapse rate (default: 0.06)
  --threshold-at P    the proportion correct that defines the threshold (default: halfway
                      between the guess rate and 1)
  --bootstrap N       parametric bootstrap samples for the intervals and the deviance's
                      p-value; 0 for none (default: 1000)
  --seed N            the bootstrap's seed (default: 1)
  --log               a log intensity axis in the figures (refused for intensities at or
                      below 0, such as QUEST's log10 units)
  --overlay           all conditions in one panel in distinct colours (default: one panel
                      per condition)
  --format LIST       figure formats, comma separated: png, pdf, svg (default: png)
  --output DIR        write the outputs into DIR (default: beside each input)
  --force             overwrite existing outputs
  --help              this text
)";

struct Settings {
    std::string intensity, response;
    std::vector<std::string> by;
    std::string model;
    double guess = NAN;
    bool freeLapse = true;
    double lapse = 0.0, maximumLapse = 0.06, thresholdAt = NAN;
    int bootstrap = 1000;
    unsigned long long seed = 1;
    bool log = false, overlay = false, force = false;
    std::vector<std::string> formats{"png"};
    std::string output;
    std::vector<std::string> inputs;
};

struct Failure {
    std::string message;
};

double numberArgument(const std::string& option, const std::string& text) {
    double value = 0;
    if (!ResultTable::decimal(text, value))
        throw Failure{option + " takes a number, not \"" + text + "\"."};
    return value;
}

Settings parse(int argc, char** argv) {
    Settings s;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw Failure{a + " needs a value."};
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::cout << usage;
            std::exit(0);
        } else if (a == "--intensity") {
            s.intensity = value();
        } else if (a == "--response") {
            s.response = value();
        } else if (a == "--by") {
            s.by.push_back(value());
        } else if (a == "--model") {
            s.model = value();
            if (s.model != "weibull" && s.model != "logistic" && s.model != "gaussian")
                throw Failure{"--model is weibull, logistic or gaussian, not \"" + s.model + "\"."};
        } else if (a == "--guess") {
            s.guess = numberArgument(a, value());
        } else if (a == "--lapse") {
            const std::string v = value();
            s.freeLapse = v == "free";
            if (!s.freeLapse)
                s.lapse = numberArgument(a, v);
        } else if (a == "--max-lapse") {
            s.maximumLapse = numberArgument(a, value());
        } else if (a == "--threshold-at") {
            s.thresholdAt = numberArgument(a, value());
        } else if (a == "--bootstrap") {
            const double n = numberArgument(a, value());
            if (n < 0 || n != std::floor(n) || n > 1e7)
                throw Failure{"--bootstrap takes a whole number of samples from 0 on."};
            s.bootstrap = static_cast<int>(n);
        } else if (a == "--seed") {
            const double n = numberArgument(a, value());
            if (n < 0 || n != std::floor(n))
                throw Failure{"--seed takes a whole number from 0 on."};
            s.seed = static_cast<unsigned long long>(n);
        } else if (a == "--log") {
            s.log = true;
        } else if (a == "--overlay") {
            s.overlay = true;
        } else if (a == "--force") {
            s.force = true;
        } else if (a == "--output") {
            s.output = value();
        } else if (a == "--format") {
            s.formats.clear();
            std::istringstream list(value());
            for (std::string f; std::getline(list, f, ',');) {
                if (f != "png" && f != "pdf" && f != "svg")
                    throw Failure{"--format takes png, pdf and svg, not \"" + f + "\"."};
                s.formats.push_back(f);
            }
            if (s.formats.empty())
                throw Failure{"--format needs at least one format."};
        } else if (a.size() > 1 && a[0] == '-') {
            throw Failure{"unknown option " + a + " (see --help)."};
        } else {
            s.inputs.push_back(a);
        }
    }
    if (s.inputs.empty())
        throw Failure{"no input file (see --help)."};
    struct stat info;
    if (!s.output.empty() && (stat(s.output.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
        throw Failure{"--output \"" + s.output + "\" is no folder."};
    return s;
}

// Temporary outputs not yet renamed. A signal that ends the run removes them: the handler only
// reads the list, which changes with the signals blocked.
std::vector<std::string> unfinished;

void removeUnfinished(int signal) {
    for (const std::string& path : unfinished)
        unlink(path.c_str());
    ::signal(signal, SIG_DFL);
    raise(signal);
}

class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};

// Outputs are written under temporary names and renamed once everything has succeeded.
class Outputs {
public:
    Outputs(const Settings& settings) : settings_(settings) {
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            ::signal(signal, removeUnfinished);
    }
    ~Outputs() {
        SignalsBlocked blocked;
        for (const auto& file : files_)
            if (!file.temporary.empty())
                std::remove(file.temporary.c_str());
        unfinished.clear();
    }
    // The temporary name to write the output named for input with suffix.
    std::string add(const std::string& input, const std::string& suffix) {
        std::string stem = input;
        const std::size_t slash = stem.find_last_of('/');
        std::string folder = slash == std::string::npos ? "" : stem.substr(0, slash + 1);
        std::string name = slash == std::string::npos ? stem : stem.substr(slash + 1);
        // "X.dat" gives "X_...", its journal "X.dat.partial" gives "X_partial_...".
        const bool journal = strip(name, ".partial");
        if (!strip(name, ".dat") && !strip(name, ".tsv"))
            strip(name, ".txt");
        if (journal)
            name += "_partial";
        if (!settings_.output.empty())
            folder = settings_.output + "/";
        const std::string path = folder + name + suffix;
        for (const std::string& in : settings_.inputs)
            if (same(in, path))
                throw Failure{"\"" + path + "\" is an input; it is never overwritten."};
        struct stat info;
        if (!settings_.force && stat(path.c_str(), &info) == 0)
            throw Failure{"\"" + path + "\" exists; --force overwrites it."};
        for (const auto& file : files_)
            if (file.path == path)
                throw Failure{"two inputs would both write \"" + path + "\"."};
        // The temporary name keeps the extension: it chooses the figure's format.
        files_.push_back({path, folder + "." + name + ".writing-" + std::to_string(getpid()) + suffix});
        SignalsBlocked blocked;
        unfinished.push_back(files_.back().temporary);
        return files_.back().temporary;
    }
    void commit() {
        for (auto& file : files_) {
            {
                SignalsBlocked blocked;
                if (std::rename(file.temporary.c_str(), file.path.c_str()) != 0)
                    throw Failure{"cannot write \"" + file.path + "\"."};
                unfinished.erase(std::find(unfinished.begin(), unfinished.end(), file.temporary));
                file.temporary.clear();
            }
            std::cout << file.path << "\n";
        }
    }

private:
    static bool strip(std::string& name, const std::string& tail) {
        if (name.size() <= tail.size() || name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
            return false;
        name.erase(name.size() - tail.size());
        return true;
    }
    static bool same(const std::string& a, const std::string& b) {
        struct stat x, y;
        return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
               x.st_ino == y.st_ino;
    }
    struct File {
        std::string path, temporary;
    };
    const Settings& settings_;
    std::vector<File> files_;
};

void writeText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw Failure{"cannot write \"" + path + "\"."};
}

std::string cell(double value) {
    if (std::isnan(value))
        return "NA";
    std::ostringstream text;
    text.precision(8);
    text << value;
    return text.str();
}

void analyseResults(const std::string& input, const Settings& s, Outputs& outputs) {
    const ResultTable table = ResultTable::read(input);
    const std::string intensity = s.intensity.empty() ? table.intensityLabel() : s.intensity;
    const std::string response = s.response.empty() ? table.responseLabel() : s.response;
    const auto conditions = PsychometricData::group(table, intensity, response, s.by);

    PsychometricFit::Options options;
    bool positive = true;
    for (const auto& condition : conditions)
        for (const auto& level : condition.levels)
            positive = positive && level.intensity > 0;
    options.shape = s.model == "logistic"              ? PsychometricFit::Shape::logistic
                    : s.model == "gaussian"            ? PsychometricFit::Shape::gaussian
                    : s.model == "weibull" || positive ? PsychometricFit::Shape::weibull
                                                       : PsychometricFit::Shape::logistic;
    options.guess = s.guess;
    const auto fixed = table.fixed().find("Guess rate");
    const bool guessFromFile = std::isnan(s.guess) && fixed != table.fixed().end();
    if (guessFromFile &&
        (!ResultTable::decimal(fixed->second, options.guess) || !(options.guess >= 0 && options.guess < 1)))
        throw Failure{ResultTable::where(input, ResultTable::fixedLine,
                                         "the fixed variable \"Guess rate\" is \"" + fixed->second +
                                             "\", not a proportion in [0, 1).")};
    if (std::isnan(options.guess))
        options.guess = 0.5;
    options.freeLapse = s.freeLapse;
    options.lapse = s.lapse;
    options.maximumLapse = s.maximumLapse;
    options.thresholdAt = s.thresholdAt;
    const double top = 1 - (s.freeLapse ? s.maximumLapse : s.lapse);
    if (!std::isnan(s.thresholdAt) && !(s.thresholdAt > options.guess && s.thresholdAt < top)) {
        const std::string what =
            "--threshold-at " + cell(s.thresholdAt) + " lies outside (" + cell(options.guess) + ", " +
            cell(top) + "), between the guess rate and 1 minus the " +
            (s.freeLapse ? "largest lapse rate" : "lapse rate") + ": psi never gets there.";
        throw Failure{guessFromFile ? ResultTable::where(input, ResultTable::fixedLine, what)
                                    : input + ": " + what};
    }
    if (s.log)
        for (const auto& condition : conditions)
            for (const auto& level : condition.levels)
                if (level.intensity <= 0)
                    throw Failure{input + ": --log cannot draw the intensity " + cell(level.intensity) +
                                  " (at or below 0) on a log axis" +
                                  (table.procedure() == ResultTable::Procedure::quest
                                       ? "; QUEST's intensities are log10 units already: leave out --log."
                                       : "; leave out --log.")};
    options.bootstrap = s.bootstrap;
    options.seed = s.seed;
    options.progress = &std::cerr;

    std::ostringstream levels, fits;
    levels << "condition\tintensity\ttrials\tcorrect\tproportion\tci_low\tci_high\r\n";
    fits
        << "condition\tmodel\tguess\tlapse\tlapse_free\talpha\tbeta\tthreshold_at\tthreshold\tthreshold_low\t"
           "threshold_high\tslope\tslope_low\tslope_high\tdeviance\tdeviance_p\tbootstrap\tbootstrap_"
           "failures\t"
           "converged\tmessage\r\n";
    std::vector<PsychometricFit::Result> results;
    for (const auto& condition : conditions) {
        for (const auto& level : condition.levels) {
            const auto ci = Figures::binomialInterval(level.correct, level.trials);
            levels << condition.name << '\t' << cell(level.intensity) << '\t' << level.trials << '\t'
                   << level.correct << '\t' << cell(level.proportion()) << '\t' << cell(ci.first) << '\t'
                   << cell(ci.second) << "\r\n";
        }
        PsychometricFit::Result r;
        try {
            r = PsychometricFit::analyse(condition.levels, options);
        } catch (const Exception& e) {
            throw Failure{input + ": condition " + condition.name + ": " + e.message()};
        }
        const auto& e = r.estimate;
        fits << condition.name << '\t' << PsychometricFit::name(options.shape) << '\t' << cell(options.guess)
             << '\t' << cell(e.lapse) << '\t' << (options.freeLapse ? "yes" : "no") << '\t' << cell(e.alpha)
             << '\t' << cell(e.beta) << '\t' << cell(r.thresholdAt) << '\t' << cell(e.threshold) << '\t'
             << cell(r.thresholdLow) << '\t' << cell(r.thresholdHigh) << '\t' << cell(e.slope) << '\t'
             << cell(r.slopeLow) << '\t' << cell(r.slopeHigh) << '\t' << cell(e.deviance) << '\t'
             << cell(r.devianceP) << '\t' << r.bootstrapSamples << '\t' << r.bootstrapFailures << '\t'
             << (e.converged ? "yes" : "no") << '\t' << e.message
             << (e.message.empty() || r.note.empty() ? "" : "; ") << r.note << "\r\n";
        if (!e.converged)
            std::cerr << "stimora-analyze: " << input << ": condition " << condition.name
                      << ": the fit did not converge (" << e.message << ").\n";
        else if (!r.note.empty())
            std::cerr << "stimora-analyze: " << input << ": condition " << condition.name << ": " << r.note
                      << ".\n";
        results.push_back(r);
    }
    writeText(outputs.add(input, "_levels.tsv"), levels.str());
    writeText(outputs.add(input, "_fit.tsv"), fits.str());
    Figures::Layout layout{intensity, s.log, s.overlay};
    for (const std::string& format : s.formats)
        Figures::psychometric(outputs.add(input, "_psychometric." + format), conditions, results, options,
                              layout);
    if (table.procedure() != ResultTable::Procedure::constant)
        for (const std::string& format : s.formats)
            Figures::track(outputs.add(input, "_track." + format), table, s.log);
}

void analyseFrames(const std::string& input, const Settings& s, Outputs& outputs) {
    const FrameTimes log = FrameTimes::read(input);
    int withDrops = 0;
    for (const auto& flip : log.flips())
        withDrops += flip.missed > 0;
    // Per frame asked, so that frames held for several refreshes do not swell the spread.
    const FrameTimes::Summary perFrame = log.perFrame();
    std::ostringstream text;
    text << "flips\trefreshes_missed\tflips_after_drops\tper_frame_mean_ms\tper_frame_sd_ms\tper_frame_max_"
            "ms\t"
            "nominal_period_ms\r\n"
         << log.flips().size() << '\t' << log.drops() << '\t' << withDrops << '\t' << cell(perFrame.mean)
         << '\t' << cell(perFrame.sd) << '\t' << cell(perFrame.maximum) << '\t' << cell(log.nominalPeriod())
         << "\r\n";
    writeText(outputs.add(input, "_timing.tsv"), text.str());
    for (const std::string& format : s.formats)
        Figures::frameTiming(outputs.add(input, "_timing." + format), log);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Settings settings = parse(argc, argv);
        Outputs outputs(settings);
        for (const std::string& input : settings.inputs) {
            std::ifstream file(input, std::ios::binary);
            if (!file)
                throw Failure{"cannot open \"" + input + "\"."};
            std::string first;
            std::getline(file, first);
            if (FrameTimes::looksLikeFrameLog(first))
                analyseFrames(input, settings, outputs);
            else
                analyseResults(input, settings, outputs);
        }
        outputs.commit();
        return 0;
    } catch (const Failure& failure) {
        std::cerr << "stimora-analyze: " << failure.message << "\n";
    } catch (const Exception& e) {
        std::cerr << "stimora-analyze: " << e.message() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "stimora-analyze: " << e.what() << "\n";
    }
    return 1;
}
