#include "CalibrationFigure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/Chart.h"
#include "analysis/ResponseFit.h"

using namespace Stimora;
using namespace Stimora::Analysis;

namespace {

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

} // namespace

void CalibrationFigure::write(const std::string& path, const MonitorProfile& profile) {
    const MonitorProfile::Calibration& cal = profile.calibration;
    struct Shown {
        const MonitorProfile::Channel* channel;
        const char* name;
        Chart::Rgb colour;
    };
    std::vector<Shown> shown = {{&cal.grey, "grey", {0.1, 0.1, 0.1}}};
    if (cal.red.measured()) {
        shown.push_back({&cal.red, "red", {0.85, 0.15, 0.1}});
        shown.push_back({&cal.green, "green", {0.1, 0.6, 0.2}});
        shown.push_back({&cal.blue, "blue", {0.15, 0.3, 0.85}});
    }
    std::vector<double> ls, rs;
    for (const Shown& s : shown) {
        ls.insert(ls.end(), s.channel->luminances.begin(), s.channel->luminances.end());
        rs.insert(rs.end(), s.channel->powerResiduals.begin(), s.channel->powerResiduals.end());
        rs.insert(rs.end(), s.channel->splineResiduals.begin(), s.channel->splineResiduals.end());
    }
    // Left-out residuals next to black can be large; beyond ±limit they are drawn at the edge.
    const double limit = 10.0;
    for (double& r : rs)
        r = std::max(-limit, std::min(limit, r));
    rs.push_back(1.0);
    rs.push_back(-1.0);
    ls.push_back(0.0);

    std::vector<std::string> caption;
    const MonitorProfile::Channel& g = cal.grey;
    caption.push_back(
        format("Grey: L = %.3g + (%.4g v)^%.3f cd/m2", g.power.offset, g.power.scale, g.power.gamma) +
        format("; rms residual: power %.2f %%, spline %.2f %%", ResponseFit::rms(g.powerResiduals),
               ResponseFit::rms(g.splineResiduals)) +
        "; applied model: " + cal.model + ".");
    if (!cal.validation.empty()) {
        double worst = 0.0;
        for (const MonitorProfile::Check& k : cal.validation)
            worst = std::max(worst, std::fabs(k.errorPercent));
        caption.push_back(format("Validation at %.0f levels through the calibration: largest error %.2f %% "
                                 "of the luminance asked for.",
                                 static_cast<double>(cal.validation.size()), worst));
    }
    caption.push_back(
        "Solid: power with offset; dashed: monotone spline (its residuals: each point left out in turn; "
        "beyond 10 % drawn at the edge). " +
        profile.name + ", " + cal.date + ".");
    std::vector<std::string> lines;
    for (const std::string& c : caption)
        for (const std::string& l : Chart::wrap(c, Chart::noteSize, Chart::column * 1.5 - 12))
            lines.push_back(l);

    const double w = Chart::column * 1.5, top = 190, bottom = 130;
    Chart chart(path, w, top + bottom + Chart::lineHeight * static_cast<double>(lines.size()) + 6);
    const Chart::Axis vAxis{0.0, 1.0, false, "Value sent to the display"};
    std::vector<Chart::Line> heading = {{"Luminance response of " + profile.name, {0, 0, 0}}};
    chart.panel(0, 0, w, top, vAxis, Chart::fit(ls, false, "Luminance (cd/m2)"), heading);
    std::vector<double> xs;
    for (int i = 0; i <= 200; ++i)
        xs.push_back(i / 200.0);
    for (const Shown& s : shown) {
        const ResponseCurve power = ResponseCurve::power(s.channel->power);
        const ResponseCurve spline = ResponseCurve::spline(s.channel->values, s.channel->luminances);
        std::vector<double> yp, ys;
        for (double x : xs) {
            yp.push_back(power.luminance(x));
            ys.push_back(spline.luminance(x));
        }
        chart.line(xs, yp, s.colour, 0.9);
        chart.line(xs, ys, s.colour, 0.9, true);
        for (std::size_t i = 0; i < s.channel->values.size(); ++i)
            chart.marker(s.channel->values[i], s.channel->luminances[i], 1.8, s.colour, true);
    }
    chart.panel(0, top, w, bottom, vAxis, Chart::fit(rs, false, "Residual (%)"),
                {{"Residuals: filled power, open spline", {0, 0, 0}}});
    chart.line({0.0, 1.0}, {0.0, 0.0}, {0.6, 0.6, 0.6}, 0.5);
    for (const Shown& s : shown)
        for (std::size_t i = 0; i < s.channel->values.size(); ++i) {
            const double power = std::max(-limit, std::min(limit, s.channel->powerResiduals[i]));
            const double spline = std::max(-limit, std::min(limit, s.channel->splineResiduals[i]));
            chart.marker(s.channel->values[i], power, 1.6, s.colour, true);
            chart.marker(s.channel->values[i], spline, 1.9, s.colour, false);
        }
    for (std::size_t i = 0; i < lines.size(); ++i)
        chart.caption(6, top + bottom + Chart::lineHeight * static_cast<double>(i + 1) + 2, lines[i]);
    chart.save();
}
