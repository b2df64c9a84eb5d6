#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// A figure file drawn with cairo: PNG for the screen, PDF and SVG for papers (chosen by the
/// file name's extension). Sizes are in points (1/72 inch); a PNG has two pixels per point.
/// The figure holds panels with axes; drawing calls take data coordinates of the current panel.
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

    /// Starts a panel at (x, y) of w × h points (the frame with its axis labels) and draws its
    /// axes, ticks, labels and title.
    void panel(double x, double y, double w, double h, const Axis& xAxis, const Axis& yAxis,
               const std::string& title);
    /// A polyline through data points; dashed when asked. Clipped to the panel.
    void line(const std::vector<double>& xs, const std::vector<double>& ys, Rgb colour, double width,
              bool dashed = false);
    /// A marker of radius points at a data point: filled, or an open ring.
    void marker(double x, double y, double radius, Rgb colour, bool filled);
    /// A filled bar between x0 and x1 from the axis' bottom up to y.
    void bar(double x0, double x1, double y, Rgb colour);
    /// Text at a data point, left aligned, in the given point size.
    void text(double x, double y, const std::string& words, Rgb colour, double size = 9);
    /// Text at figure coordinates in points.
    void caption(double x, double y, const std::string& words, double size = 11);
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
