#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// A figure file drawn with cairo: PNG for the screen, PDF and SVG for papers (chosen by the
/// file name's extension). Sizes are in points (1/72 inch) at print size: a figure of column
/// width is 241 points (85 mm) wide, and its text is 7 to 8.5 points. A PNG has 300 pixels per
/// inch. The figure holds panels with axes; drawing calls take data coordinates of the current
/// panel.
class Chart {
public:
    /// One axis of a panel.
    struct Axis {
        ///@{
        /// The data range shown.
        double low = 0.0;
        double high = 1.0;
        ///@}
        /// A logarithmic axis (low and high above 0).
        bool log = false;
        /// The axis title: the variable's label with its units.
        std::string label;
    };
    /// A colour as red, green, blue in 0..1.
    struct Rgb {
        ///@{
        /// One channel, 0..1.
        double r = 0, g = 0, b = 0;
        ///@}
    };
    /// A line of text in a colour.
    struct Line {
        std::string words; ///< the text, one line
        Rgb colour;        ///< its colour
    };

    /// A journal column: 85 mm in points.
    static constexpr double column = 241.0;
    ///@{
    /// Point sizes: tick labels, axis titles and panel headings, captions.
    static constexpr double tickSize = 7.0, labelSize = 8.0, noteSize = 7.0;
    ///@}
    /// Height of a panel's heading line or a caption line.
    static constexpr double lineHeight = 9.0;

    /// Starts a figure of width × height points for path. Raises Exception "ARGUMENT ERROR"
    /// for an extension other than .png, .pdf or .svg.
    Chart(const std::string& path, double width, double height);
    /// Writes the file if save() was not called (errors are then lost) and releases cairo.
    ~Chart();
    Chart(const Chart&) = delete;
    Chart& operator=(const Chart&) = delete;

    /// Distinct colours for conditions and tracks, repeating after eight.
    static Rgb palette(int i);
    /// Limits with a little room around the values (a factor on a log axis).
    static Axis fit(const std::vector<double>& values, bool log, const std::string& label);
    /// words broken into lines no wider than width points at size (before a figure exists, so
    /// that its height can follow from them).
    static std::vector<std::string> wrap(const std::string& words, double size, double width);

    /// Starts a panel at (x, y) of w × h points: heading lines in their colours on top (each
    /// lineHeight high), then the frame with its ticks and axis titles.
    void panel(double x, double y, double w, double h, const Axis& xAxis, const Axis& yAxis,
               const std::vector<Line>& heading);
    /// A polyline through data points; dashed when asked. Clipped to the panel.
    void line(const std::vector<double>& xs, const std::vector<double>& ys, Rgb colour, double width,
              bool dashed = false);
    /// A vertical interval from low to high at x with caps cap points wide.
    void interval(double x, double low, double high, Rgb colour, double cap = 2.4);
    /// A horizontal interval from low to high at y with caps; an end beyond the axis is drawn
    /// as an arrowhead at the frame instead.
    void span(double y, double low, double high, Rgb colour);
    /// A marker of radius points at a data point: filled, or an open ring.
    void marker(double x, double y, double radius, Rgb colour, bool filled);
    /// A filled bar between x0 and x1 from the axis' bottom up to y.
    void bar(double x0, double x1, double y, Rgb colour);
    ///@{
    /// Text at figure coordinates in points, left aligned, in black or a colour.
    void caption(double x, double y, const std::string& words, double size = noteSize);
    void caption(double x, double y, const std::string& words, double size, Rgb colour);
    ///@}
    /// Writes the file and closes it; raises Exception "FILE ERROR" naming the path when cairo
    /// cannot. The destructor writes too, silently, if this was not called.
    void save();

private:
    struct Surface;
    double toX(double x) const;
    double toY(double y) const;
    std::unique_ptr<Surface> surface_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Axis x_, y_;
};

} // namespace Analysis
} // namespace Stimora
