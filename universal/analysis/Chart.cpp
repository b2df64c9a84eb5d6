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

const double pixelsPerPoint = 2.0;

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Tick values: 1, 2 or 5 times a power of ten on a linear axis; decades (and 2, 5 within
// them when there are few) on a log axis.
std::vector<double> ticks(const Chart::Axis& axis) {
    std::vector<double> values;
    if (axis.log) {
        const int first = static_cast<int>(std::floor(std::log10(axis.low)));
        const int last = static_cast<int>(std::ceil(std::log10(axis.high)));
        const bool fine = last - first <= 2;
        for (int e = first; e <= last; ++e)
            for (double m : {1.0, 2.0, 5.0})
                if (m == 1.0 || fine) {
                    const double v = m * std::pow(10.0, e);
                    if (v >= axis.low * (1 - 1e-9) && v <= axis.high * (1 + 1e-9))
                        values.push_back(v);
                }
        return values;
    }
    const double raw = (axis.high - axis.low) / 8;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {2.0, 5.0, 10.0})
        if (raw > step)
            step = m * power;
    for (double v = std::ceil(axis.low / step - 1e-9) * step; v <= axis.high + step * 1e-9; v += step)
        values.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    return values;
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
    cairo_select_font_face(s.cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
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

void Chart::panel(double x, double y, double w, double h, const Axis& xAxis, const Axis& yAxis,
                  const std::string& title) {
    cairo_t* cr = surface_->cr;
    left_ = x + 58;
    top_ = y + 24;
    width_ = w - 70;
    height_ = h - 66;
    x_ = xAxis;
    y_ = yAxis;
    cairo_reset_clip(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.8);
    cairo_rectangle(cr, left_, top_, width_, height_);
    cairo_stroke(cr);

    cairo_set_font_size(cr, 9);
    cairo_text_extents_t extents;
    for (double v : ticks(x_)) {
        const double px = toX(v);
        cairo_move_to(cr, px, top_ + height_);
        cairo_line_to(cr, px, top_ + height_ + 4);
        cairo_stroke(cr);
        const std::string words = label(v);
        cairo_text_extents(cr, words.c_str(), &extents);
        cairo_move_to(cr, px - extents.width / 2 - extents.x_bearing, top_ + height_ + 15);
        cairo_show_text(cr, words.c_str());
    }
    for (double v : ticks(y_)) {
        const double py = toY(v);
        cairo_move_to(cr, left_ - 4, py);
        cairo_line_to(cr, left_, py);
        cairo_stroke(cr);
        const std::string words = label(v);
        cairo_text_extents(cr, words.c_str(), &extents);
        cairo_move_to(cr, left_ - 7 - extents.width - extents.x_bearing, py + 3);
        cairo_show_text(cr, words.c_str());
    }
    cairo_set_font_size(cr, 11);
    std::string xLabel = x_.label + (x_.log ? " (log scale)" : "");
    cairo_text_extents(cr, xLabel.c_str(), &extents);
    cairo_move_to(cr, left_ + width_ / 2 - extents.width / 2, top_ + height_ + 32);
    cairo_show_text(cr, xLabel.c_str());
    cairo_text_extents(cr, y_.label.c_str(), &extents);
    cairo_save(cr);
    cairo_move_to(cr, x + 16, top_ + height_ / 2 + extents.width / 2);
    cairo_rotate(cr, -M_PI / 2);
    cairo_show_text(cr, y_.label.c_str());
    cairo_restore(cr);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, left_, top_ - 8);
    cairo_show_text(cr, title.c_str());

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

void Chart::marker(double x, double y, double radius, Rgb colour, bool filled) {
    if (!std::isfinite(x) || !std::isfinite(y) || (x_.log && x <= 0) || (y_.log && y <= 0))
        return;
    cairo_t* cr = surface_->cr;
    cairo_new_sub_path(cr);
    cairo_arc(cr, toX(x), toY(y), radius, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, 1.0);
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
    cairo_set_line_width(cr, 0.4);
    cairo_stroke(cr);
}

void Chart::text(double x, double y, const std::string& words, Rgb colour, double size) {
    cairo_t* cr = surface_->cr;
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, toX(x), toY(y));
    cairo_show_text(cr, words.c_str());
}

void Chart::caption(double x, double y, const std::string& words, double size) {
    cairo_t* cr = surface_->cr;
    cairo_save(cr);
    cairo_reset_clip(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
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
