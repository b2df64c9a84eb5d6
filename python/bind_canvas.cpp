// The canvas: its frames, log and statistics, calibration ramps and drawing operations.
// flip() and flipAfter() release the interpreter lock while they hold and swap, so another
// Python thread may run while a frame is held; the frame loop itself stays in C++.
// Batched forms take numpy arrays: rect(edges, colors) draws N rectangles, one call.

#include "Bindings.h"

#include <string>
#include <vector>

namespace StimoraPython {

using namespace Stimora;

namespace {

using Edges = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Scratch rectangles and colours of the batched calls, kept between frames so that a frame
// of the same size allocates nothing.
struct Batch {
    std::vector<Rectangle> rectangles;
    std::vector<Color> colors;
};

Batch& scratch() {
    static Batch* batch = new Batch; // never destroyed: an exit with a canvas open may come from a flip
    return *batch;
}

int fillRectangles(const Edges& edges) {
    if (edges.ndim() != 2 || edges.shape(1) != 4)
        throw Exception(typeid(Canvas), "ARGUMENT ERROR",
                        "Canvas.rect: rectangles come as an array of N rows of left, top, right, bottom.");
    const auto count = static_cast<std::size_t>(edges.shape(0));
    std::vector<Rectangle>& rectangles = scratch().rectangles;
    if (rectangles.size() < count)
        rectangles.resize(count);
    const double* e = edges.data();
    for (std::size_t i = 0; i < count; ++i, e += 4) {
        Rectangle& r = rectangles[i];
        r.left = e[0];
        r.top = e[1];
        r.right = e[2];
        r.bottom = e[3];
    }
    return static_cast<int>(count);
}

Canvas& rectangles(Canvas& canvas, const Edges& edges, const Edges& rgba) {
    const int count = fillRectangles(edges);
    if (rgba.ndim() != 2 || rgba.shape(0) != count || (rgba.shape(1) != 3 && rgba.shape(1) != 4))
        throw Exception(typeid(Canvas), "ARGUMENT ERROR",
                        "Canvas.rect: colours come as an array of one row of r, g, b (, a) per rectangle.");
    std::vector<Color>& colors = scratch().colors;
    if (colors.size() < static_cast<std::size_t>(count))
        colors.resize(static_cast<std::size_t>(count));
    const int width = static_cast<int>(rgba.shape(1));
    const double* c = rgba.data();
    for (int i = 0; i < count; ++i, c += width)
        colors[static_cast<std::size_t>(i)].set(c[0], c[1], c[2], width == 4 ? c[3] : 1.0);
    return canvas.rect(count, scratch().rectangles.data(), colors.data());
}

} // namespace

void bindCanvas(py::module_& m) {
    py::class_<Canvas, Drawable> canvas(m, "Canvas", py::multiple_inheritance(), doc("Canvas"));
    canvas.attr("fullscreen") = static_cast<int>(Canvas::fullscreen);
    canvas.attr("window") = static_cast<int>(Canvas::window);
    canvas.attr("back") = static_cast<int>(Canvas::back);
    canvas.attr("front") = static_cast<int>(Canvas::front);
    py::enum_<Canvas::RefreshSource>(canvas, "RefreshSource", doc("Canvas.RefreshSource"))
        .value("refreshDisplay", Canvas::refreshDisplay)
        .value("refreshSimulated", Canvas::refreshSimulated)
        .value("refreshPaced", Canvas::refreshPaced);
    py::class_<Canvas::FrameStatistics>(canvas, "FrameStatistics", doc("Canvas.FrameStatistics"))
        .def_readonly("frames", &Canvas::FrameStatistics::frames, doc("Canvas.FrameStatistics.frames"))
        .def_readonly("droppedFrames", &Canvas::FrameStatistics::droppedFrames,
                      doc("Canvas.FrameStatistics.droppedFrames"))
        .def_readonly("refreshes", &Canvas::FrameStatistics::refreshes,
                      doc("Canvas.FrameStatistics.refreshes"))
        .def_readonly("lastDroppedFrames", &Canvas::FrameStatistics::lastDroppedFrames,
                      doc("Canvas.FrameStatistics.lastDroppedFrames"))
        .def_readonly("flipsWithDrops", &Canvas::FrameStatistics::flipsWithDrops,
                      doc("Canvas.FrameStatistics.flipsWithDrops"));

    const auto release = py::call_guard<py::gil_scoped_release>();
    canvas.def(py::init<>(), doc("Canvas.Canvas"))
        .def(py::init<int, const Display&>(), py::arg("mode"), py::arg("display"))
        .def(py::init<int, int, const Display&>(), py::arg("width"), py::arg("height"), py::arg("display"))
        .def(py::init<const Rectangle&>(), py::arg("rectangle"))
        .def(py::init<int, int, int, double, const Display&>(), py::arg("width"), py::arg("height"),
             py::arg("colorDepth"), py::arg("refreshRate"), py::arg("display"))
        .def("set", py::overload_cast<int, const Display&>(&Canvas::set), doc("Canvas.set"), chain)
        .def("set", py::overload_cast<int, int, const Display&>(&Canvas::set), chain)
        .def("set", py::overload_cast<const Rectangle&>(&Canvas::set), chain)
        .def("set", py::overload_cast<int, int, int, double, const Display&>(&Canvas::set), chain)
        .def("isInitialized", &Canvas::isInitialized, doc("Canvas.isInitialized"))
        .def("close", &Canvas::close, doc("Canvas.close"))
        .def(
            "__enter__", [](Canvas& c) -> Canvas& { return c; }, chain)
        .def(
            "__exit__", [](Canvas& c, py::args) { c.close(); },
            "Closes the canvas at the end of a with block, however the block ends.")
        // ---- frames
        .def("flip", py::overload_cast<>(&Canvas::flip), doc("Canvas.flip"), chain, release)
        .def("flip", py::overload_cast<int>(&Canvas::flip), py::arg("frames"), chain, release)
        .def("flipAfter", &Canvas::flipAfter, doc("Canvas.flipAfter"), chain, release)
        .def("clear", py::overload_cast<int>(&Canvas::clear), doc("Canvas.clear"), chain)
        .def("clear", py::overload_cast<const Color&, int>(&Canvas::clear), chain)
        .def("clear", py::overload_cast<const Color&>(&Canvas::clear), chain)
        .def("setClearColor", &Canvas::setClearColor, doc("Canvas.setClearColor"), chain)
        // ---- queries
        .def("getWidth", &Canvas::getWidth, doc("Canvas.getWidth"))
        .def("getHeight", &Canvas::getHeight, doc("Canvas.getHeight"))
        .def("getCenter", &Canvas::getCenter, doc("Canvas.getCenter"))
        .def("getCenterX", &Canvas::getCenterX, doc("Canvas.getCenterX"))
        .def("getCenterY", &Canvas::getCenterY, doc("Canvas.getCenterY"))
        .def("getRefreshRate", &Canvas::getRefreshRate, doc("Canvas.getRefreshRate"))
        .def("getColorDepth", &Canvas::getColorDepth, doc("Canvas.getColorDepth"))
        .def("getFramePeriod", &Canvas::getFramePeriod, doc("Canvas.getFramePeriod"))
        .def("getHoldFrames", &Canvas::getHoldFrames, doc("Canvas.getHoldFrames"))
        .def("getLastInterval", &Canvas::getLastInterval, doc("Canvas.getLastInterval"))
        .def("getLastFlipTime", &Canvas::getLastFlipTime, doc("Canvas.getLastFlipTime"))
        .def("getLastFlipInterval", &Canvas::getLastFlipInterval, doc("Canvas.getLastFlipInterval"))
        .def("getRefreshSource", &Canvas::getRefreshSource, doc("Canvas.getRefreshSource"))
        .def("getMeasuredFramePeriod", &Canvas::getMeasuredFramePeriod, doc("Canvas.getMeasuredFramePeriod"))
        .def("getMeasuredFramePeriodSD", &Canvas::getMeasuredFramePeriodSD,
             doc("Canvas.getMeasuredFramePeriodSD"))
        // ---- frame log and statistics
        .def("startFrameLog", &Canvas::startFrameLog, doc("Canvas.startFrameLog"), chain)
        .def("stopFrameLog", &Canvas::stopFrameLog, doc("Canvas.stopFrameLog"), chain)
        .def("saveFrameLog", &Canvas::saveFrameLog, doc("Canvas.saveFrameLog"), chain)
        .def("frameLog", &Canvas::frameLog, doc("Canvas.frameLog"),
             py::return_value_policy::reference_internal)
        .def("timingReport", &Canvas::timingReport, doc("Canvas.timingReport"))
        .def_property_readonly(
            "frameStatistics", [](const Canvas& c) { return c.frameStatistics; },
            doc("Canvas.frameStatistics"))
        .def("startFrameCounting", &Canvas::startFrameCounting, doc("Canvas.startFrameCounting"), chain)
        .def("stopFrameCounting", &Canvas::stopFrameCounting, doc("Canvas.stopFrameCounting"), chain)
        .def("resetFrameCounts", &Canvas::resetFrameCounts, doc("Canvas.resetFrameCounts"), chain)
        .def("getLastDroppedFrames", &Canvas::getLastDroppedFrames, doc("Canvas.getLastDroppedFrames"))
        .def("showFrameStatistics", &Canvas::showFrameStatistics, doc("Canvas.showFrameStatistics"), chain)
        .def("hideFrameStatistics", &Canvas::hideFrameStatistics, doc("Canvas.hideFrameStatistics"), chain)
        .def("progressBar", &Canvas::progressBar, doc("Canvas.progressBar"), chain)
        // ---- visual angle and gamma
        .def("setGeometry", &Canvas::setGeometry, doc("Canvas.setGeometry"), chain)
        .def("degreesToPixelsX", &Canvas::degreesToPixelsX, doc("Canvas.degreesToPixelsX"))
        .def("degreesToPixelsY", &Canvas::degreesToPixelsY, doc("Canvas.degreesToPixelsY"))
        .def("setGammaValue", &Canvas::setGammaValue, doc("Canvas.setGammaValue"), chain)
        .def("setGammaTable", &Canvas::setGammaTable, doc("Canvas.setGammaTable"), chain)
        // ---- drawing
        .def("pix", py::overload_cast<double, double, const Color&>(&Canvas::pix), doc("Canvas.pix"), chain)
        .def("line", py::overload_cast<double, double, double, double, const Color&>(&Canvas::line),
             doc("Canvas.line"), chain)
        .def("line", py::overload_cast<double, double, double, double, const Stroke&>(&Canvas::line), chain)
        .def("line", py::overload_cast<const Line&, const Color&>(&Canvas::line), chain)
        .def("line", py::overload_cast<const Line&, const Stroke&>(&Canvas::line), chain)
        .def("rect", py::overload_cast<const Rectangle&, const Color&>(&Canvas::rect), doc("Canvas.rect"),
             chain)
        .def("rect", py::overload_cast<const Rectangle&, const Stroke&>(&Canvas::rect), chain)
        .def("rect", &rectangles, py::arg("edges"), py::arg("colors"),
             "N filled rectangles in one call: edges an (N, 4) array of left, top, right, bottom (inclusive "
             "pixels), colors an (N, 3) or (N, 4) array of requested r, g, b (, a), calibrated as Color is.",
             chain)
        .def(
            "rect",
            [](Canvas& c, const Edges& edges, const Color& color) -> Canvas& {
                const int count = fillRectangles(edges);
                return c.rect(count, scratch().rectangles.data(), color);
            },
            py::arg("edges"), py::arg("color"), "N filled rectangles in one colour, edges an (N, 4) array.",
            chain)
        .def("ellipse", py::overload_cast<const Rectangle&, const Color&>(&Canvas::ellipse),
             doc("Canvas.ellipse"), chain)
        .def("ellipse", py::overload_cast<const Rectangle&, const Stroke&>(&Canvas::ellipse), chain)
        .def("ellipse", py::overload_cast<const Ellipse&, const Color&>(&Canvas::ellipse), chain)
        .def("polygon", py::overload_cast<const Polygon&, const Color&>(&Canvas::polygon),
             doc("Canvas.polygon"), chain)
        .def("polygon", py::overload_cast<const Polygon&, const Stroke&>(&Canvas::polygon), chain)
        .def("group", &Canvas::group, doc("Canvas.group"), chain)
        .def("image", py::overload_cast<Image&>(&Canvas::image), doc("Canvas.image"), chain)
        .def("image", py::overload_cast<Image&, double, double>(&Canvas::image), chain)
        .def("image", py::overload_cast<Image&, double>(&Canvas::image), chain)
        .def("letters", &Canvas::letters, doc("Canvas.letters"), chain)
        .def("copy", &Canvas::copy, py::arg("source"), py::arg("target"), py::arg("clearSource") = false,
             py::arg("fillColor") = Color::black, doc("Canvas.copy"), chain)
        .def("capture", &Canvas::capture, doc("Canvas.capture"), chain)
        .def("message",
             py::overload_cast<const std::string&, double, double, const Color&, int, int>(&Canvas::message),
             py::arg("text"), py::arg("x"), py::arg("y"), py::arg("color"), py::arg("alignment") = 0,
             py::arg("maxWidth") = -1, doc("Canvas.message"))
        .def("segmentText",
             py::overload_cast<const std::string&, double, double, const Color&, bool>(&Canvas::segmentText),
             py::arg("text"), py::arg("x"), py::arg("y"), py::arg("color"), py::arg("leftAligned") = true,
             doc("Canvas.segmentText"), chain)
        .def_static("quantize", &Canvas::quantize, doc("Canvas.quantize"));

    m.def("currentCanvas", &currentCanvas, doc("currentCanvas"), chain);
}

} // namespace StimoraPython
