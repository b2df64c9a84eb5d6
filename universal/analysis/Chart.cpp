#include "analysis/Chart.h"

#include "base/Exception.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <typeinfo>

namespace Stimora {
namespace Analysis {

namespace {

const double pixelsPerPoint = 300.0 / 72.0;

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Nice linear ticks: 1, 2 or 5 times a power of ten, about five over the axis.
std::vector<double> linearTicks(double low, double high) {
    std::vector<double> values;
    const double raw = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {2.0, 5.0, 10.0})
        if (raw > step * 1.001)
            step = m * power;
    for (double v = std::ceil(low / step - 1e-9) * step; v <= high + step * 1e-9; v += step)
        values.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    return values;
}

// Tick values. On a log axis: decades, or 1-3, 1-2-5 or every digit within them, whichever
// first gives four ticks; an axis shorter than that gets linear ticks.
std::vector<double> ticks(const Chart::Axis& axis) {
    if (!axis.log)
        return linearTicks(axis.low, axis.high);
    const int first = static_cast<int>(std::floor(std::log10(axis.low)));
    const int last = static_cast<int>(std::ceil(std::log10(axis.high)));
    const std::vector<std::vector<double>> sets = {{1}, {1, 3}, {1, 2, 5}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    for (const auto& set : sets) {
        std::vector<double> values;
        for (int e = first; e <= last; ++e)
            for (double m : set) {
                const double v = m * std::pow(10.0, e);
                if (v >= axis.low * (1 - 1e-9) && v <= axis.high * (1 + 1e-9))
                    values.push_back(v);
            }
        if (values.size() >= 4)
            return values;
    }
    std::vector<double> values;
    for (double v : linearTicks(axis.low, axis.high))
        if (v > 0)
            values.push_back(v);
    return values;
}

// Unhinted metrics: text measures the same on every surface and at every resolution.
void setFont(cairo_t* cr) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

std::string label(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

struct Chart::Surface {
    std::string path;
    bool png = false;
    bool saved = false;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Surface() {
        if (cr != nullptr)
            cairo_destroy(cr);
        if (surface != nullptr)
            cairo_surface_destroy(surface);
    }
};

Chart::Chart(const std::string& path, double width, double height) : surface_(new Surface) {
    Surface& s = *surface_;
    s.path = path;
    if (endsWith(path, ".png")) {
        s.png = true;
        s.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width * pixelsPerPoint),
                                               static_cast<int>(height * pixelsPerPoint));
    } else if (endsWith(path, ".pdf")) {
        s.surface = cairo_pdf_surface_create(path.c_str(), width, height);
    } else if (endsWith(path, ".svg")) {
        s.surface = cairo_svg_surface_create(path.c_str(), width, height);
    } else {
        throw Exception(typeid(Chart), "ARGUMENT ERROR",
                        "\"" + path + "\": a figure is written as .png, .pdf or .svg.");
    }
    s.cr = cairo_create(s.surface);
    if (cairo_status(s.cr) != CAIRO_STATUS_SUCCESS)
        throw Exception(typeid(Chart), "FILE ERROR",
                        "Cannot draw \"" + path + "\": " + cairo_status_to_string(cairo_status(s.cr)));
    if (s.png)
        cairo_scale(s.cr, pixelsPerPoint, pixelsPerPoint);
    cairo_set_source_rgb(s.cr, 1, 1, 1);
    cairo_paint(s.cr);
    setFont(s.cr);
    cairo_set_line_cap(s.cr, CAIRO_LINE_CAP_BUTT);
}

Chart::~Chart() {
    if (!surface_->saved) {
        try {
            save();
        } catch (...) {
            // A destructor reports nothing; save() is where errors are raised.
        }
    }
}

Chart::Rgb Chart::palette(int i) {
    static const Rgb colours[] = {{0.00, 0.45, 0.70}, {0.84, 0.37, 0.00}, {0.00, 0.62, 0.45},
                                  {0.80, 0.47, 0.65}, {0.34, 0.71, 0.91}, {0.90, 0.62, 0.00},
                                  {0.35, 0.35, 0.35}, {0.60, 0.20, 0.20}};
    return colours[((i % 8) + 8) % 8];
}

Chart::Axis Chart::fit(const std::vector<double>& values, bool log, const std::string& label) {
    Axis axis;
    axis.log = log;
    axis.label = label;
    double low = INFINITY, high = -INFINITY;
    for (double v : values)
        if (std::isfinite(v) && (!log || v > 0)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (!std::isfinite(low)) {
        low = log ? 1 : 0;
        high = log ? 10 : 1;
    }
    if (log) {
        const double ratio = high > low ? std::pow(high / low, 0.08) : 2.0;
        axis.low = low / ratio;
        axis.high = high * ratio;
    } else {
        const double room = high > low ? 0.08 * (high - low) : std::max(1.0, std::fabs(low) * 0.1);
        // Counts and durations start at 0: the room below them stops there.
        axis.low = low >= 0 ? std::max(0.0, low - room) : low - room;
        axis.high = high + room;
    }
    return axis;
}

double Chart::toX(double x) const {
    const double t =
        x_.log ? std::log(x / x_.low) / std::log(x_.high / x_.low) : (x - x_.low) / (x_.high - x_.low);
    return left_ + t * width_;
}

double Chart::toY(double y) const {
    const double t =
        y_.log ? std::log(y / y_.low) / std::log(y_.high / y_.low) : (y - y_.low) / (y_.high - y_.low);
    return top_ + (1 - t) * height_;
}

std::vector<std::string> Chart::wrap(const std::string& words, double size, double width) {
    // Text is measured in points on a scratch surface.
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    setFont(cr);
    cairo_set_font_size(cr, size);
    std::vector<std::string> lines;
    std::string current;
    std::size_t start = 0;
    while (start < words.size()) {
        std::size_t end = words.find(' ', start);
        if (end == std::string::npos)
            end = words.size();
        const std::string word = words.substr(start, end - start);
        const std::string longer = current.empty() ? word : current + " " + word;
        cairo_text_extents_t extents;
        cairo_text_extents(cr, longer.c_str(), &extents);
        if (extents.x_advance > width && !current.empty()) {
            lines.push_back(current);
            current = word;
        } else {
            current = longer;
        }
        start = end + 1;
    }
    if (!current.empty())
        lines.push_back(current);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return lines;
}

void Chart::panel(double x, double y, double w, double h, const Axis& xAxis, const Axis& yAxis,
                  const std::vector<Line>& heading) {
    cairo_t* cr = surface_->cr;
    const double headingHeight = static_cast<double>(heading.size()) * lineHeight;
    left_ = x + 36;
    top_ = y + headingHeight + 6;
    width_ = w - 36 - 8;
    height_ = h - headingHeight - 6 - 26;
    x_ = xAxis;
    y_ = yAxis;
    cairo_reset_clip(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    for (std::size_t i = 0; i < heading.size(); ++i)
        caption(x + 6, y + lineHeight * static_cast<double>(i + 1) - 1.5, heading[i].words, labelSize,
                heading[i].colour);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.5);
    cairo_rectangle(cr, left_, top_, width_, height_);
    cairo_stroke(cr);

    cairo_set_font_size(cr, tickSize);
    cairo_text_extents_t extents;
    double widest = 0, labelled = -INFINITY;
    for (double v : ticks(x_)) {
        const double px = toX(v);
        cairo_move_to(cr, px, top_ + height_);
        cairo_line_to(cr, px, top_ + height_ + 2.5);
        cairo_stroke(cr);
        // Crowded labels (the top of a log decade) are left out; the tick stays.
        const std::string words = label(v);
        cairo_text_extents(cr, words.c_str(), &extents);
        const double start = px - extents.width / 2 - extents.x_bearing;
        if (start < labelled + 3)
            continue;
        labelled = start + extents.x_advance;
        cairo_move_to(cr, start, top_ + height_ + 10);
        cairo_show_text(cr, words.c_str());
    }
    for (double v : ticks(y_)) {
        const double py = toY(v);
        cairo_move_to(cr, left_ - 2.5, py);
        cairo_line_to(cr, left_, py);
        cairo_stroke(cr);
        const std::string words = label(v);
        cairo_text_extents(cr, words.c_str(), &extents);
        widest = std::max(widest, extents.x_advance);
        cairo_move_to(cr, left_ - 4 - extents.x_advance, py + 2.5);
        cairo_show_text(cr, words.c_str());
    }
    cairo_set_font_size(cr, labelSize);
    std::string xLabel = x_.label + (x_.log ? " (log scale)" : "");
    cairo_text_extents(cr, xLabel.c_str(), &extents);
    cairo_move_to(cr, left_ + width_ / 2 - extents.x_advance / 2, top_ + height_ + 21);
    cairo_show_text(cr, xLabel.c_str());
    cairo_text_extents(cr, y_.label.c_str(), &extents);
    cairo_save(cr);
    cairo_move_to(cr, std::max(x + 8.0, left_ - 7 - widest), top_ + height_ / 2 + extents.x_advance / 2);
    cairo_rotate(cr, -M_PI / 2);
    cairo_show_text(cr, y_.label.c_str());
    cairo_restore(cr);

    cairo_rectangle(cr, left_, top_, width_, height_);
    cairo_clip(cr);
}

void Chart::line(const std::vector<double>& xs, const std::vector<double>& ys, Rgb colour, double width,
                 bool dashed) {
    cairo_t* cr = surface_->cr;
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, width);
    const double dash[] = {4.0, 3.0};
    cairo_set_dash(cr, dash, dashed ? 2 : 0, 0);
    bool started = false;
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]) || (x_.log && xs[i] <= 0) ||
            (y_.log && ys[i] <= 0)) {
            started = false;
            continue;
        }
        if (started)
            cairo_line_to(cr, toX(xs[i]), toY(ys[i]));
        else
            cairo_move_to(cr, toX(xs[i]), toY(ys[i]));
        started = true;
    }
    cairo_stroke(cr);
    cairo_set_dash(cr, dash, 0, 0);
}

void Chart::interval(double x, double low, double high, Rgb colour, double cap) {
    if (!std::isfinite(x) || (x_.log && x <= 0))
        return;
    cairo_t* cr = surface_->cr;
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, 0.6);
    const double px = toX(x), bottom = toY(low), top = toY(high);
    cairo_move_to(cr, px, bottom);
    cairo_line_to(cr, px, top);
    for (double py : {bottom, top}) {
        cairo_move_to(cr, px - cap / 2, py);
        cairo_line_to(cr, px + cap / 2, py);
    }
    cairo_stroke(cr);
}

void Chart::span(double y, double low, double high, Rgb colour) {
    cairo_t* cr = surface_->cr;
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, 0.9);
    const double py = toY(y), left = left_, right = left_ + width_;
    const double from = x_.log && low <= 0 ? -INFINITY : toX(low), to = toX(high);
    const double a = std::max(left, from), b = std::min(right, to);
    cairo_move_to(cr, a, py);
    cairo_line_to(cr, b, py);
    cairo_stroke(cr);
    // A cap where the interval ends inside the panel; an arrowhead where it goes on beyond.
    for (const auto& end : {std::make_pair(a, from < left), std::make_pair(b, to > right)}) {
        const double direction = end.first == a ? -1 : 1;
        if (end.second) {
            cairo_move_to(cr, end.first, py);
            cairo_line_to(cr, end.first - direction * 3.5, py - 2);
            cairo_line_to(cr, end.first - direction * 3.5, py + 2);
            cairo_close_path(cr);
            cairo_fill(cr);
        } else {
            cairo_move_to(cr, end.first, py - 2.2);
            cairo_line_to(cr, end.first, py + 2.2);
            cairo_stroke(cr);
        }
    }
}

void Chart::marker(double x, double y, double radius, Rgb colour, bool filled) {
    if (!std::isfinite(x) || !std::isfinite(y) || (x_.log && x <= 0) || (y_.log && y <= 0))
        return;
    cairo_t* cr = surface_->cr;
    cairo_new_sub_path(cr);
    cairo_arc(cr, toX(x), toY(y), radius, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, 0.6);
    if (filled)
        cairo_fill(cr);
    else
        cairo_stroke(cr);
}

void Chart::bar(double x0, double x1, double y, Rgb colour) {
    cairo_t* cr = surface_->cr;
    const double bottom = top_ + height_;
    cairo_rectangle(cr, toX(x0), toY(y), toX(x1) - toX(x0), bottom - toY(y));
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 0.25);
    cairo_stroke(cr);
}

void Chart::caption(double x, double y, const std::string& words, double size) {
    caption(x, y, words, size, Rgb());
}

void Chart::caption(double x, double y, const std::string& words, double size, Rgb colour) {
    cairo_t* cr = surface_->cr;
    cairo_save(cr);
    cairo_reset_clip(cr);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, words.c_str());
    cairo_restore(cr);
}

void Chart::save() {
    Surface& s = *surface_;
    if (s.saved)
        return;
    s.saved = true;
    cairo_surface_flush(s.surface);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    if (s.png)
        status = cairo_surface_write_to_png(s.surface, s.path.c_str());
    cairo_surface_finish(s.surface);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_status(s.surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw Exception(typeid(Chart), "FILE ERROR",
                        "Cannot write \"" + s.path + "\": " + cairo_status_to_string(status) + ".");
}

} // namespace Analysis
} // namespace Stimora
