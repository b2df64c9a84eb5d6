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
const Rgb red{0.8, 0.1, 0.1};
const Rgb grey{0.4, 0.4, 0.4};

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

using Levels = std::vector<PsychometricData::Level>;

// What is drawn of a condition: its levels, or where they are many with few trials each (as
// from QUEST) neighbouring levels pooled into ten groups of about equal trials, placed at their
// mean intensity: one-trial intervals say nothing.
Levels shown(const Levels& levels, bool& pooled) {
    std::vector<int> trials;
    int total = 0;
    for (const auto& level : levels) {
        trials.push_back(level.trials);
        total += level.trials;
    }
    std::sort(trials.begin(), trials.end());
    pooled = levels.size() > 20 && trials[trials.size() / 2] < 5;
    if (!pooled)
        return levels;
    const int groups = 10;
    Levels result;
    PsychometricData::Level group;
    double sum = 0;
    int done = 0;
    for (const auto& level : levels) {
        sum += level.intensity * level.trials;
        group.trials += level.trials;
        group.correct += level.correct;
        done += level.trials;
        if (static_cast<long>(done) * groups >= static_cast<long>(result.size() + 1) * total) {
            group.intensity = sum / group.trials;
            result.push_back(group);
            group = PsychometricData::Level();
            sum = 0;
        }
    }
    return result;
}

std::string summary(const PsychometricFit::Result& fit) {
    const auto& e = fit.estimate;
    std::string words = "threshold " + format("%.4g", e.threshold);
    if (std::isfinite(fit.thresholdLow))
        words += format(" [%.4g, %.4g]", fit.thresholdLow, fit.thresholdHigh);
    return words + format(", slope %.3g", e.slope);
}

void drawCondition(Chart& chart, const Levels& points, const PsychometricFit::Result& fit,
                   const PsychometricFit::Options& options, const Chart::Axis& xAxis, Rgb colour,
                   int maximumTrials, double yLow) {
    for (const auto& level : points) {
        const auto interval = Figures::binomialInterval(level.correct, level.trials);
        chart.interval(level.intensity, interval.first, interval.second, colour);
        chart.marker(level.intensity, level.proportion(),
                     std::max(1.2, 3.2 * std::sqrt(double(level.trials) / maximumTrials)), colour, true);
    }
    // A fit without an estimate has no curve to draw.
    const auto& e = fit.estimate;
    if (!e.converged)
        return;
    std::vector<double> xs = spread(xAxis, 300), ys;
    for (double x : xs)
        ys.push_back(PsychometricFit::probability(options.shape, x, e.alpha, e.beta, options.guess, e.lapse));
    chart.line(xs, ys, colour, 1.0);
    if (std::isfinite(e.threshold)) {
        chart.line({e.threshold, e.threshold}, {yLow, fit.thresholdAt}, colour, 0.5, true);
        if (std::isfinite(fit.thresholdLow))
            chart.span(fit.thresholdAt, fit.thresholdLow, fit.thresholdHigh, colour);
    }
}

// Lines for words wrapped to width, all in one colour.
void addWrapped(std::vector<Chart::Line>& lines, const std::string& words, Rgb colour, double width) {
    for (const std::string& line : Chart::wrap(words, Chart::labelSize, width))
        lines.push_back({line, colour});
}

// A caption wrapped to the figure's width, drawn from the top at y.
void drawCaption(Chart& chart, const std::vector<std::string>& lines, double y) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        chart.caption(6, y + Chart::lineHeight * static_cast<double>(i + 1) - 2, lines[i]);
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
    const double w = Chart::column, plot = 170;
    std::vector<Levels> points;
    std::vector<double> xs;
    int maximumTrials = 1;
    bool anyPooled = false, anyInterval = false;
    double lowest = options.guess;
    for (std::size_t c = 0; c < conditions.size(); ++c) {
        bool pooled = false;
        points.push_back(shown(conditions[c].levels, pooled));
        anyPooled = anyPooled || pooled;
        for (const auto& level : points.back()) {
            xs.push_back(level.intensity);
            maximumTrials = std::max(maximumTrials, level.trials);
            lowest = std::min(lowest, binomialInterval(level.correct, level.trials).first);
        }
        if (fits[c].estimate.converged)
            xs.push_back(fits[c].estimate.threshold);
        anyInterval = anyInterval || std::isfinite(fits[c].thresholdLow);
    }
    const Chart::Axis xAxis = Chart::fit(xs, layout.logIntensity, layout.intensityLabel);
    Chart::Axis yAxis;
    yAxis.low = std::max(0.0, std::floor((lowest - 0.02) * 10) / 10);
    yAxis.high = 1.03; // room for the caps at 1
    yAxis.label = "Proportion correct";

    // Headings: per panel its name and fit, or in one panel a line per condition.
    const int panels = layout.overlay ? 1 : static_cast<int>(conditions.size());
    const int columns = panels <= 3 ? 1 : 2;
    std::vector<std::vector<Chart::Line>> headings(static_cast<std::size_t>(panels));
    for (std::size_t c = 0; c < conditions.size(); ++c) {
        auto& heading = headings[layout.overlay ? 0 : c];
        const Rgb colour = layout.overlay ? Chart::palette(static_cast<int>(c)) : Chart::palette(0);
        const bool named = layout.overlay || conditions.size() > 1;
        if (!layout.overlay && named)
            heading.push_back({conditions[c].name, black});
        const std::string prefix = layout.overlay && named ? conditions[c].name + ": " : "";
        const auto& fit = fits[c];
        if (fit.estimate.converged)
            addWrapped(heading, prefix + summary(fit), colour, w - 12);
        else
            addWrapped(heading, prefix + "no fit: " + fit.estimate.message, red, w - 12);
        if (!fit.note.empty())
            addWrapped(heading, fit.note + ".", grey, w - 12);
    }
    std::vector<double> rowHeight(static_cast<std::size_t>((panels + columns - 1) / columns), 0.0);
    for (int p = 0; p < panels; ++p) {
        double& row = rowHeight[static_cast<std::size_t>(p / columns)];
        row = std::max(row, plot + Chart::lineHeight * static_cast<double>(headings[p].size()));
    }
    const std::string words =
        PsychometricFit::name(options.shape) + format(", guess %.3g", options.guess) +
        (options.freeLapse ? format(", lapse free in [0, %.3g]", options.maximumLapse)
                           : format(", lapse %.3g", options.lapse)) +
        format("; threshold at %.3g. Points: proportion correct, area by trials, with 95 %% intervals",
               fits.empty() ? 0.0 : fits[0].thresholdAt) +
        (anyPooled ? " (neighbouring intensities pooled into 10 groups of about equal trials; the fit "
                     "takes every trial)"
                   : "") +
        (anyInterval ? "; bar: the threshold's 95 % interval." : ".");
    const std::vector<std::string> caption = Chart::wrap(words, Chart::noteSize, w * columns - 12);
    double height = 0;
    for (double row : rowHeight)
        height += row;
    Chart chart(path, w * columns, height + Chart::lineHeight * static_cast<double>(caption.size()) + 4);
    double y = 0;
    for (int p = 0; p < panels; ++p) {
        const double rowTop = y;
        chart.panel((p % columns) * w, rowTop, w, rowHeight[static_cast<std::size_t>(p / columns)], xAxis,
                    yAxis, headings[static_cast<std::size_t>(p)]);
        for (std::size_t c = 0; c < conditions.size(); ++c)
            if (layout.overlay || static_cast<int>(c) == p)
                drawCondition(chart, points[c], fits[c], options, xAxis,
                              layout.overlay ? Chart::palette(static_cast<int>(c)) : Chart::palette(0),
                              maximumTrials, yAxis.low);
        if (p % columns == columns - 1 || p == panels - 1)
            y += rowHeight[static_cast<std::size_t>(p / columns)];
    }
    drawCaption(chart, caption, y);
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
    Chart::Axis xAxis;
    xAxis.low = 0;
    xAxis.high = static_cast<double>(longest) + 1;
    xAxis.label = "Trial of the track";
    const Chart::Axis yAxis = Chart::fit(values, logIntensity, table.intensityLabel());
    const double w = Chart::column;
    std::vector<Chart::Line> heading{
        {table.experiment() + (quest ? ": QUEST" : ": staircase") + (table.partial() ? " (journal)" : ""),
         black}};
    for (const auto& entry : estimates)
        if (tracks.count(entry.first))
            heading.push_back({format("track %g: ", entry.first) + (std::isfinite(entry.second)
                                                                        ? format("%.4g", entry.second)
                                                                        : std::string("no estimate")),
                               Chart::palette(entry.first - 1)});
    const std::vector<std::string> caption =
        Chart::wrap(std::string("Filled: correct, open: wrong") + (staircase ? ", ringed: reversal" : "") +
                        "; dashed: the final estimate (" +
                        (quest ? "posterior mean" : "mean of the last reversals") + ").",
                    Chart::noteSize, w - 12);
    const double panelHeight = 170 + Chart::lineHeight * static_cast<double>(heading.size());
    Chart chart(path, w, panelHeight + Chart::lineHeight * static_cast<double>(caption.size()) + 4);
    chart.panel(0, 0, w, panelHeight, xAxis, yAxis, heading);
    const double radius = longest > 80 ? 1.2 : 1.8;
    for (const auto& entry : tracks) {
        const Rgb colour = Chart::palette(entry.first - 1);
        std::vector<double> xs, ys;
        for (std::size_t i = 0; i < entry.second.size(); ++i) {
            xs.push_back(static_cast<double>(i) + 1);
            ys.push_back(entry.second[i].intensity);
        }
        chart.line(xs, ys, colour, 0.5);
        for (std::size_t i = 0; i < entry.second.size(); ++i) {
            chart.marker(xs[i], ys[i], radius, colour, entry.second[i].correct);
            if (!entry.second[i].correct)
                chart.marker(xs[i], ys[i], radius * 0.55, Rgb{1, 1, 1}, true);
            if (entry.second[i].reversal)
                chart.marker(xs[i], ys[i], radius + 1.6, black, false);
        }
        const auto estimate = estimates.find(entry.first);
        if (estimate != estimates.end() && std::isfinite(estimate->second))
            chart.line({xAxis.low, xAxis.high}, {estimate->second, estimate->second}, colour, 0.8, true);
    }
    drawCaption(chart, caption, panelHeight);
    chart.save();
}

void Figures::frameTiming(const std::string& path, const FrameTimes& log) {
    const double period = log.nominalPeriod();
    const auto& flips = log.flips();
    std::vector<double> index, perFrame;
    for (std::size_t i = 1; i < flips.size(); ++i) {
        index.push_back(flips[i].index);
        perFrame.push_back(flips[i].interval / std::max(1, flips[i - 1].frames));
    }
    std::vector<double> values = perFrame;
    values.push_back(0);
    values.push_back(period);
    const FrameTimes::Summary summary = log.perFrame();

    const double w = Chart::column;
    const std::vector<Chart::Line> heading{
        {format("%g flips, %g refreshes missed", double(flips.size()), log.drops()), black},
        {format("per frame asked %.3f \xC2\xB1 %.3f ms, nominal %.3f", summary.mean, summary.sd, period),
         black}};
    const std::vector<std::string> caption =
        Chart::wrap("The interval before each flip per frame asked (over the refreshes the frame before "
                    "was to last), by flip and as a histogram; dashed: the nominal period; red: flips after "
                    "missed refreshes.",
                    Chart::noteSize, w - 12);
    const double top = 150 + Chart::lineHeight * 2, bottom = 130;
    Chart chart(path, w, top + bottom + Chart::lineHeight * static_cast<double>(caption.size()) + 4);
    const Chart::Axis xAxis = Chart::fit(index, false, "Flip");
    const Chart::Axis yAxis = Chart::fit(values, false, "Interval per frame (ms)");
    chart.panel(0, 0, w, top, xAxis, yAxis, heading);
    chart.line({xAxis.low, xAxis.high}, {period, period}, black, 0.5, true);
    chart.line(index, perFrame, Chart::palette(0), 0.5);
    for (std::size_t i = 1; i < flips.size(); ++i)
        if (flips[i].missed > 0)
            chart.marker(flips[i].index, perFrame[i - 1], 1.6, red, true);

    // About 40 bins: on time is one period, a frame held over a missed refresh lands on a
    // multiple of it.
    const double low = *std::min_element(perFrame.begin(), perFrame.end());
    const double high = std::max(*std::max_element(perFrame.begin(), perFrame.end()), low + 1e-3);
    const int bins = 40;
    const double width = (high - low) / bins;
    std::vector<double> counts(bins, 0.0);
    for (double v : perFrame)
        counts[static_cast<std::size_t>(std::min(bins - 1, static_cast<int>((v - low) / width)))] += 1;
    Chart::Axis hx = Chart::fit({low, high, period}, false, "Interval per frame asked (ms)");
    Chart::Axis hy;
    hy.low = 0;
    hy.high = *std::max_element(counts.begin(), counts.end()) * 1.08;
    hy.label = "Flips";
    chart.panel(0, top, w, bottom, hx, hy, {});
    for (int b = 0; b < bins; ++b)
        if (counts[static_cast<std::size_t>(b)] > 0)
            chart.bar(low + b * width, low + (b + 1) * width, counts[static_cast<std::size_t>(b)],
                      Chart::palette(0));
    chart.line({period, period}, {hy.low, hy.high}, black, 0.5, true);
    drawCaption(chart, caption, top + bottom);
    chart.save();
}

} // namespace Analysis
} // namespace Stimora
