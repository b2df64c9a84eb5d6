// Colour and calibration, the monitors, and the frame log's records.

#include "Bindings.h"

#include <string>

namespace StimoraPython {

using Stimora::Color;

void bindDisplay(py::module_& m) {
    py::class_<Color> color(m, "Color", doc("Color"));
    color.def(py::init<>(), doc("Color.Color"))
        .def(py::init<double, double, double, double>(), py::arg("r"), py::arg("g"), py::arg("b"),
             py::arg("a") = 1.0)
        .def(py::init<double>(), py::arg("gray"))
        .def_static(
            "fromRaw", [](double r, double g, double b, double a) { return Color(Color::raw, r, g, b, a); },
            py::arg("r"), py::arg("g"), py::arg("b"), py::arg("a") = 1.0,
            "Stored (display-side) components taken as given after the component check only (no "
            "calibration).")
        .def_readwrite("r", &Color::r, doc("Color.r"))
        .def_readwrite("g", &Color::g, doc("Color.g"))
        .def_readwrite("b", &Color::b, doc("Color.b"))
        .def_readwrite("a", &Color::a, doc("Color.a"))
        .def("set", py::overload_cast<double, double, double, double>(&Color::set), py::arg("r"),
             py::arg("g"), py::arg("b"), py::arg("a") = 1.0, doc("Color.set"), chain)
        .def("set", py::overload_cast<double>(&Color::set), py::arg("gray"), chain)
        .def("setRaw", &Color::setRaw, py::arg("r"), py::arg("g"), py::arg("b"), py::arg("a") = 1.0,
             doc("Color.setRaw"), chain)
        .def("getR", &Color::getR, doc("Color.getR"))
        .def("getG", &Color::getG, doc("Color.getG"))
        .def("getB", &Color::getB, doc("Color.getB"))
        .def("getA", &Color::getA, doc("Color.getA"))
        .def(py::self == py::self)
        .def(py::self != py::self)
        .def(py::self + py::self)
        .def(py::self - py::self)
        .def("__repr__",
             [](const Color& c) {
                 return "Color.fromRaw(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " +
                        std::to_string(c.b) + ", " + std::to_string(c.a) + ")";
             })
        .def_static("setGammaValue", &Color::setGammaValue, doc("Color.setGammaValue"))
        .def_static("setGammaTable",
                    py::overload_cast<const std::vector<double>&, const std::vector<double>&,
                                      const std::vector<double>&>(&Color::setGammaTable),
                    doc("Color.setGammaTable"))
        .def_static("softwareCalibration", &Color::softwareCalibration, doc("Color.softwareCalibration"))
        .def_static("setSoftwareCalibration", &Color::setSoftwareCalibration,
                    doc("Color.setSoftwareCalibration"))
        .def_static("resetCalibration", &Color::resetCalibration, doc("Color.resetCalibration"))
        .def_property_readonly_static(
            "calibrationMode", [](py::object) { return Color::calibrationMode; },
            doc("Color.calibrationMode"))
        .def_property_static(
            "preferSoftware", [](py::object) { return Color::preferSoftware; },
            [](py::object, bool on) { Color::preferSoftware = on; }, doc("Color.preferSoftware"))
        .def_property_static(
            "strictMatch", [](py::object) { return Color::strictMatch; },
            [](py::object, bool on) { Color::strictMatch = on; }, doc("Color.strictMatch"))
        .def_property_readonly_static(
            "gamma", [](py::object) { return std::vector<double>(Color::gamma, Color::gamma + 3); },
            doc("Color.gamma"));
    color.attr("noCalibration") = Color::noCalibration;
    color.attr("gammaValueHardware") = Color::gammaValueHardware;
    color.attr("gammaTableHardware") = Color::gammaTableHardware;
    color.attr("gammaValueSoftware") = Color::gammaValueSoftware;
    color.attr("gammaTableSoftware") = Color::gammaTableSoftware;
    color.attr("bitsPlusPlus") = Color::bitsPlusPlus;
    // The predefined colours are read when asked for: gray follows the calibration.
    color.def_property_readonly_static("white", [](py::object) { return Color::white; })
        .def_property_readonly_static("black", [](py::object) { return Color::black; })
        .def_property_readonly_static(
            "gray", [](py::object) { return Color::gray; }, doc("Color.gray"))
        .def_property_readonly_static("red", [](py::object) { return Color::red; })
        .def_property_readonly_static("green", [](py::object) { return Color::green; })
        .def_property_readonly_static("blue", [](py::object) { return Color::blue; })
        .def_property_readonly_static("cyan", [](py::object) { return Color::cyan; })
        .def_property_readonly_static("magenta", [](py::object) { return Color::magenta; })
        .def_property_readonly_static("yellow", [](py::object) { return Color::yellow; })
        .def_property_readonly_static(
            "null", [](py::object) { return Color::null; }, doc("Color.null"));

    py::class_<Stimora::Display>(m, "Display", doc("Display"))
        .def(py::init<>())
        .def_readonly("handle", &Stimora::Display::handle, doc("Display.handle"))
        .def_readonly("width", &Stimora::Display::width)
        .def_readonly("height", &Stimora::Display::height)
        .def_readonly("colorDepth", &Stimora::Display::colorDepth, doc("Display.colorDepth"))
        .def_readonly("refreshRate", &Stimora::Display::refreshRate, doc("Display.refreshRate"))
        .def_readonly("deviceName", &Stimora::Display::deviceName, doc("Display.deviceName"))
        .def_static("primary", &Stimora::Display::primary, doc("Display.primary"));
    m.def("enumerateDisplays", &Stimora::enumerateDisplays, doc("enumerateDisplays"));

    using Stimora::FrameLog;
    py::class_<FrameLog> log(m, "FrameLog", doc("FrameLog"));
    py::class_<FrameLog::Record>(log, "Record", doc("FrameLog.Record"))
        .def_readonly("index", &FrameLog::Record::index, doc("FrameLog.Record.index"))
        .def_readonly("frames", &FrameLog::Record::frames, doc("FrameLog.Record.frames"))
        .def_readonly("onset", &FrameLog::Record::onset, doc("FrameLog.Record.onset"))
        .def_readonly("interval", &FrameLog::Record::interval, doc("FrameLog.Record.interval"))
        .def_readonly("missed", &FrameLog::Record::missed, doc("FrameLog.Record.missed"));
    py::class_<FrameLog::Summary>(log, "Summary", doc("FrameLog.Summary"))
        .def_readonly("flips", &FrameLog::Summary::flips, doc("FrameLog.Summary.flips"))
        .def_readonly("frames", &FrameLog::Summary::frames, doc("FrameLog.Summary.frames"))
        .def_readonly("drops", &FrameLog::Summary::drops, doc("FrameLog.Summary.drops"))
        .def_readonly("flipsWithDrops", &FrameLog::Summary::flipsWithDrops,
                      doc("FrameLog.Summary.flipsWithDrops"))
        .def_readonly("meanInterval", &FrameLog::Summary::meanInterval, doc("FrameLog.Summary.meanInterval"))
        .def_readonly("sdInterval", &FrameLog::Summary::sdInterval, doc("FrameLog.Summary.sdInterval"))
        .def_readonly("maxInterval", &FrameLog::Summary::maxInterval, doc("FrameLog.Summary.maxInterval"));
    log.def("isOn", &FrameLog::isOn, doc("FrameLog.isOn"))
        .def("size", &FrameLog::size, doc("FrameLog.size"))
        .def("__len__", &FrameLog::size)
        .def(
            "__getitem__",
            [](const FrameLog& l, std::size_t i) {
                if (i >= l.size())
                    throw py::index_error("frame log index out of range");
                return l[i];
            },
            doc("FrameLog.operator[]"))
        .def("overflow", &FrameLog::overflow, doc("FrameLog.overflow"))
        .def("summarize", &FrameLog::summarize, doc("FrameLog.summarize"))
        .def("save", &FrameLog::save, doc("FrameLog.save"));
}

} // namespace StimoraPython
