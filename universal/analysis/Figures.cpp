#include "analysis/Figures.h"

#include "analysis/Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace Stimora {
namespace Analysis {

namespace {

using Rgb = Chart::Rgb;
const Rgb black{0, 0, 0};
const Rgb red{0.85, 0.1, 0.1};

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Points spread evenly over the axis (evenly in log on a log axis).
std::vector<double> spread(const Chart::Axis& axis, int count) {
    std::vector<double> xs;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / (count - 1);
        xs.push_back(axis.log ? axis.low * std::pow(axis.high / axis.low, t)
                              : axis.low + t * (axis.high - axis.low));
    }
    return xs;
}

void drawCondition(Chart& chart, const PsychometricData::Condition& condition,
                   const PsychometricFit::Result& fit, const PsychometricFit::Options& options,
                   const Chart::Axis& xAxis, Rgb colour, int maximumTrials, double yText, double lineStep,
                   double yLow, bool named) {
    for (const auto& level : condition.levels) {
        const auto interval = Figures::binomialInterval(level.correct, level.trials);
        chart.line({level.intensity, level.intensity}, {interval.first, interval.second}, colour, 1.0);
        chart.marker(level.intensity, level.proportion(),
                     8.0 * std::sqrt(double(level.trials) / maximumTrials), colour, true);
    }
    const auto& e = fit.estimate;
    std::vector<double> xs = spread(xAxis, 300), ys;
    for (double x : xs)
        ys.push_back(PsychometricFit::probability(options.shape, x, e.alpha, e.beta, options.guess, e.lapse));
    chart.line(xs, ys, colour, 1.6, !e.converged);
    if (std::isfinite(e.threshold)) {
        chart.line({e.threshold, e.threshold}, {yLow, fit.thresholdAt}, colour, 0.8, true);
        if (std::isfinite(fit.thresholdLow)) {
            const double tick = 0.015;
            chart.line({fit.thresholdLow, fit.thresholdHigh}, {fit.thresholdAt, fit.thresholdAt}, colour,
                       1.6);
            chart.line({fit.thresholdLow, fit.thresholdLow}, {fit.thresholdAt - tick, fit.thresholdAt + tick},
                       colour, 1.6);
            chart.line({fit.thresholdHigh, fit.thresholdHigh},
                       {fit.thresholdAt - tick, fit.thresholdAt + tick}, colour, 1.6);
        }
    }
    std::string words =
        (named ? condition.name + ": " : std::string()) + "threshold " + format("%.4g", e.threshold);
    if (std::isfinite(fit.thresholdLow))
        words += format(" [%.4g, %.4g]", fit.thresholdLow, fit.thresholdHigh);
    words += format(", slope %.3g", e.slope);
    // Lower right: high intensities sit near the top, so the corner stays free.
    const double at = named ? 0.30 : 0.22;
    const double textX = xAxis.log ? xAxis.low * std::pow(xAxis.high / xAxis.low, at)
                                   : xAxis.low + at * (xAxis.high - xAxis.low);
    chart.text(textX, yText, words, colour, 8);
    if (!e.converged)
        chart.text(textX, yText - lineStep, "fit did not converge: " + e.message, red, 8);
}

} // namespace

std::pair<double, double> Figures::binomialInterval(int correct, int trials) {
    if (trials <= 0)
        return {0.0, 1.0};
    const double z = 1.959963984540054, n = trials, p = correct / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z / (1 + z * z / n) * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n));
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

void Figures::psychometric(const std::string& path,
                           const std::vector<PsychometricData::Condition>& conditions,
                           const std::vector<PsychometricFit::Result>& fits,
                           const PsychometricFit::Options& options, const Layout& layout) {
    std::vector<double> xs;
    int maximumTrials = 1;
    double lowest = options.guess;
    for (const auto& condition : conditions)
        for (const auto& level : condition.levels) {
            xs.push_back(level.intensity);
            maximumTrials = std::max(maximumTrials, level.trials);
            lowest = std::min(lowest, level.proportion());
        }
    const Chart::Axis xAxis = Chart::fit(xs, layout.logIntensity, layout.intensityLabel);
    Chart::Axis yAxis;
    yAxis.low = std::max(0.0, std::floor((lowest - 0.05) * 10) / 10);
    yAxis.high = 1.02;
    yAxis.label = "Proportion correct";

    const int panels = layout.overlay ? 1 : static_cast<int>(conditions.size());
    const int columns = std::min(panels, layout.overlay ? 1 : 2);
    const int rows = (panels + columns - 1) / columns;
    const double w = layout.overlay ? 560 : 420, h = layout.overlay ? 420 : 340;
    Chart chart(path, w * columns, h * rows + 14);
    for (std::size_t c = 0; c < conditions.size(); ++c) {
        const int p = layout.overlay ? 0 : static_cast<int>(c);
        if (!layout.overlay || c == 0)
            chart.panel((p % columns) * w, (p / columns) * h, w, h, xAxis, yAxis,
                        layout.overlay ? "Proportion correct by " + layout.intensityLabel
                                       : conditions[c].name);
        const double step = 0.045 * (yAxis.high - yAxis.low);
        const std::size_t below = layout.overlay ? conditions.size() - 1 - c : 0;
        const double yText = yAxis.low + step * (1.5 + 2.0 * static_cast<double>(below));
        drawCondition(chart, conditions[c], fits[c], options, xAxis,
                      layout.overlay ? Chart::palette(static_cast<int>(c)) : Chart::palette(0), maximumTrials,
                      yText, step * 0.9, yAxis.low, layout.overlay);
    }
    chart.caption(
        8, h * rows + 8,
        PsychometricFit::name(options.shape) + format(", guess %.3g", options.guess) +
            (options.freeLapse ? format(", lapse free in [0, %.3g]", options.maximumLapse)
                               : format(", lapse %.3g", options.lapse)) +
            format("; threshold at %.3g; 95 %% intervals", fits.empty() ? 0.0 : fits[0].thresholdAt),
        8);
    chart.save();
}

void Figures::track(const std::string& path, const ResultTable& table, bool logIntensity) {
    const bool quest = table.procedure() == ResultTable::Procedure::quest;
    const bool staircase = table.procedure() == ResultTable::Procedure::staircase;
    const std::size_t reversalColumn = staircase ? table.column("REVERSAL") : 0;
    const std::size_t meanColumn = quest ? table.column("MEAN") : 0;
    struct Trial {
        double intensity;
        bool correct;
        bool reversal;
        double mean;
    };
    std::map<int, std::vector<Trial>> tracks;
    std::vector<double> values;
    for (const auto& row : table.trials()) {
        Trial t{table.number(row, 2), table.number(row, 3) == 1,
                staircase && table.number(row, reversalColumn) == 1,
                quest ? table.number(row, meanColumn) : NAN};
        tracks[static_cast<int>(table.number(row, 1))].push_back(t);
        values.push_back(t.intensity);
    }
    // Final estimates: from the closing lines, or for a journal the last posterior mean.
    std::map<int, double> estimates;
    for (const auto& row : table.estimates())
        if (row.fields.size() > 1)
            estimates[std::atoi(row.fields[0].c_str())] = std::atof(row.fields[1].c_str());
    if (quest && estimates.empty())
        for (const auto& entry : tracks)
            estimates[entry.first] = entry.second.back().mean;
    for (const auto& entry : estimates)
        values.push_back(entry.second);

    std::size_t longest = 1;
    for (const auto& entry : tracks)
        longest = std::max(longest, entry.second.size());
    Chart chart(path, 640, 420);
    Chart::Axis xAxis;
    xAxis.low = 0;
    xAxis.high = static_cast<double>(longest) + 1;
    xAxis.label = "Trial of the track";
    const Chart::Axis yAxis = Chart::fit(values, logIntensity, table.intensityLabel());
    chart.panel(0, 0, 640, 400, xAxis, yAxis,
                table.experiment() + (quest ? ": QUEST" : ": staircase") +
                    (table.partial() ? " (journal)" : ""));
    for (const auto& entry : tracks) {
        const Rgb colour = Chart::palette(entry.first - 1);
        std::vector<double> xs, ys;
        for (std::size_t i = 0; i < entry.second.size(); ++i) {
            xs.push_back(static_cast<double>(i) + 1);
            ys.push_back(entry.second[i].intensity);
        }
        chart.line(xs, ys, colour, 1.0);
        for (std::size_t i = 0; i < entry.second.size(); ++i) {
            chart.marker(xs[i], ys[i], 3.0, colour, entry.second[i].correct);
            if (entry.second[i].reversal)
                chart.marker(xs[i], ys[i], 6.5, black, false);
        }
        const auto estimate = estimates.find(entry.first);
        if (estimate != estimates.end() && std::isfinite(estimate->second)) {
            chart.line({xAxis.low, xAxis.high}, {estimate->second, estimate->second}, colour, 1.2, true);
            chart.text(xAxis.high * 0.70, estimate->second,
                       format("track %g: %.4g", entry.first, estimate->second), colour);
        }
    }
    chart.caption(8, 414,
                  std::string("filled: correct, open: wrong") + (staircase ? ", ringed: reversal" : "") +
                      "; dashed: final estimate (" +
                      (quest ? "posterior mean" : "mean of the last reversals") + ")",
                  8);
    chart.save();
}

void Figures::frameTiming(const std::string& path, const FrameTimes& log) {
    const double period = log.nominalPeriod();
    const auto& flips = log.flips();
    std::vector<double> index, interval, expected, values;
    double mean = 0;
    for (std::size_t i = 1; i < flips.size(); ++i) {
        index.push_back(flips[i].index);
        interval.push_back(flips[i].interval);
        expected.push_back(period * std::max(1, flips[i - 1].frames));
        mean += flips[i].interval;
    }
    mean /= static_cast<double>(interval.size());
    double sd = 0;
    for (double v : interval)
        sd += (v - mean) * (v - mean);
    sd = std::sqrt(sd / std::max<std::size_t>(1, interval.size() - 1));
    values = interval;
    values.push_back(0);
    values.push_back(period);

    Chart chart(path, 960, 400);
    Chart::Axis xAxis = Chart::fit(index, false, "Flip");
    Chart::Axis yAxis = Chart::fit(values, false, "Interval before the flip (ms)");
    chart.panel(
        0, 0, 640, 380, xAxis, yAxis,
        format("%g flips, %g refreshes missed; interval %.3f", double(flips.size()), log.drops(), mean) +
            format(" \xC2\xB1 %.3f ms; nominal period %.3f ms", sd, period));
    chart.line(index, expected, black, 0.8, true);
    chart.line(index, interval, Chart::palette(0), 0.8);
    for (std::size_t i = 1; i < flips.size(); ++i)
        if (flips[i].missed > 0)
            chart.marker(flips[i].index, flips[i].interval, 3.5, red, true);

    // Histogram of the interval per frame asked (about 40 bins): on time is one period, a
    // frame held over a missed refresh lands on a multiple of it.
    std::vector<double> perFrame;
    for (std::size_t i = 1; i < flips.size(); ++i)
        perFrame.push_back(flips[i].interval / std::max(1, flips[i - 1].frames));
    interval = perFrame;
    const double low = *std::min_element(interval.begin(), interval.end());
    const double high = std::max(*std::max_element(interval.begin(), interval.end()), low + 1e-3);
    const int bins = 40;
    const double width = (high - low) / bins;
    std::vector<double> counts(bins, 0.0);
    for (double v : interval)
        counts[static_cast<std::size_t>(std::min(bins - 1, static_cast<int>((v - low) / width)))] += 1;
    Chart::Axis hx = Chart::fit({low, high, period}, false, "Interval per frame asked (ms)");
    Chart::Axis hy;
    hy.low = 0;
    hy.high = *std::max_element(counts.begin(), counts.end()) * 1.08;
    hy.label = "Flips";
    chart.panel(640, 0, 320, 380, hx, hy, "Intervals per frame");
    for (int b = 0; b < bins; ++b)
        if (counts[static_cast<std::size_t>(b)] > 0)
            chart.bar(low + b * width, low + (b + 1) * width, counts[static_cast<std::size_t>(b)],
                      Chart::palette(0));
    chart.line({period, period}, {hy.low, hy.high}, black, 0.8, true);
    chart.caption(8, 394,
                  "dashed: the nominal period times the frames asked; red: flips after missed refreshes", 8);
    chart.save();
}

} // namespace Analysis
} // namespace Stimora
