// Monitor profiles and units: visual angle, luminance responses, the profile files, the
// canvas's use of a profile, Color in cd/m², and the photometers a calibration reads.
// A profile's lists (values, luminances, validation) come to Python as copies: assign a
// whole list to change one.

#include "Bindings.h"

#include <algorithm>
#include <array>
#include <string>

namespace StimoraPython {

using namespace Stimora;

void bindProfiles(py::module_& m) {
    py::class_<VisualAngle>(m, "VisualAngle", doc("VisualAngle"))
        .def(py::init<>(), doc("VisualAngle.VisualAngle"))
        .def(py::init<double, double, double, int, int, const Point&>(), py::arg("physicalWidth"),
             py::arg("physicalHeight"), py::arg("viewingDistance"), py::arg("pixelWidth"),
             py::arg("pixelHeight"), py::arg("centre"))
        .def("toPixels", &VisualAngle::toPixels, py::arg("xDegrees"), py::arg("yDegrees"),
             doc("VisualAngle.toPixels"))
        .def("toDegrees", &VisualAngle::toDegrees, py::arg("pixel"), doc("VisualAngle.toDegrees"))
        .def("eccentricity", &VisualAngle::eccentricity, py::arg("pixel"), doc("VisualAngle.eccentricity"))
        .def("sizeToPixels", &VisualAngle::sizeToPixels, py::arg("sizeDegrees"),
             py::arg("eccentricityDegrees") = 0.0, doc("VisualAngle.sizeToPixels"))
        .def("degreesPerPixel", &VisualAngle::degreesPerPixel, py::arg("pixel"),
             doc("VisualAngle.degreesPerPixel"))
        .def("wavelengthPixels", &VisualAngle::wavelengthPixels, py::arg("cyclesPerDegree"),
             py::arg("position"), py::arg("orientationDegrees") = 0.0, doc("VisualAngle.wavelengthPixels"))
        .def("lengthToPixelsX", &VisualAngle::lengthToPixelsX, doc("VisualAngle.lengthToPixelsX"))
        .def("lengthToPixelsY", &VisualAngle::lengthToPixelsY, doc("VisualAngle.lengthToPixelsY"))
        .def("pixelsToLengthX", &VisualAngle::pixelsToLengthX, doc("VisualAngle.pixelsToLengthX"))
        .def("pixelsToLengthY", &VisualAngle::pixelsToLengthY, doc("VisualAngle.pixelsToLengthY"))
        .def("viewingDistance", &VisualAngle::viewingDistance, doc("VisualAngle.viewingDistance"))
        .def("centre", &VisualAngle::centre, doc("VisualAngle.centre"));

    py::class_<ResponseCurve> curve(m, "ResponseCurve", doc("ResponseCurve"));
    py::class_<ResponseCurve::Power>(curve, "Power", doc("ResponseCurve.Power"))
        .def(py::init<>())
        .def(py::init([](double offset, double scale, double gamma) {
                 return ResponseCurve::Power{offset, scale, gamma};
             }),
             py::arg("offset"), py::arg("scale"), py::arg("gamma"))
        .def_readwrite("offset", &ResponseCurve::Power::offset, doc("ResponseCurve.Power.offset"))
        .def_readwrite("scale", &ResponseCurve::Power::scale, doc("ResponseCurve.Power.scale"))
        .def_readwrite("gamma", &ResponseCurve::Power::gamma, doc("ResponseCurve.Power.gamma"));
    curve.def(py::init<>(), doc("ResponseCurve.ResponseCurve"))
        .def_static("power", &ResponseCurve::power, doc("ResponseCurve.power"))
        .def_static("spline", &ResponseCurve::spline, py::arg("values"), py::arg("luminances"),
                    doc("ResponseCurve.spline"))
        .def("luminance", &ResponseCurve::luminance, doc("ResponseCurve.luminance"))
        .def("value", &ResponseCurve::value, doc("ResponseCurve.value"))
        .def("black", &ResponseCurve::black, doc("ResponseCurve.black"))
        .def("white", &ResponseCurve::white, doc("ResponseCurve.white"))
        .def("table", &ResponseCurve::table, py::arg("entries") = 256, doc("ResponseCurve.table"));

    using Profile = MonitorProfile;
    py::class_<Profile> profile(m, "MonitorProfile", doc("MonitorProfile"));
    py::class_<Profile::Channel>(profile, "Channel", doc("MonitorProfile.Channel"))
        .def(py::init<>())
        .def_readwrite("values", &Profile::Channel::values, doc("MonitorProfile.Channel.values"))
        .def_readwrite("luminances", &Profile::Channel::luminances, doc("MonitorProfile.Channel.luminances"))
        .def_readwrite("power", &Profile::Channel::power, doc("MonitorProfile.Channel.power"))
        .def_readwrite("powerResiduals", &Profile::Channel::powerResiduals,
                       doc("MonitorProfile.Channel.powerResiduals"))
        .def_readwrite("splineResiduals", &Profile::Channel::splineResiduals,
                       doc("MonitorProfile.Channel.splineResiduals"))
        .def("measured", &Profile::Channel::measured, doc("MonitorProfile.Channel.measured"))
        .def("curve", &Profile::Channel::curve, py::arg("model"), doc("MonitorProfile.Channel.curve"));
    py::class_<Profile::Check>(profile, "Check", doc("MonitorProfile.Check"))
        .def(py::init<>())
        .def_readwrite("requested", &Profile::Check::requested, doc("MonitorProfile.Check.requested"))
        .def_readwrite("measured", &Profile::Check::measured, doc("MonitorProfile.Check.measured"))
        .def_readwrite("errorPercent", &Profile::Check::errorPercent,
                       doc("MonitorProfile.Check.errorPercent"))
        .def_readwrite("stepPercent", &Profile::Check::stepPercent, doc("MonitorProfile.Check.stepPercent"));
    py::class_<Profile::Calibration>(profile, "Calibration", doc("MonitorProfile.Calibration"))
        .def(py::init<>())
        .def_readwrite("date", &Profile::Calibration::date, doc("MonitorProfile.Calibration.date"))
        .def_readwrite("model", &Profile::Calibration::model, doc("MonitorProfile.Calibration.model"))
        .def_readwrite("grey", &Profile::Calibration::grey, doc("MonitorProfile.Calibration.grey"))
        .def_readwrite("red", &Profile::Calibration::red, doc("MonitorProfile.Calibration.red"))
        .def_readwrite("green", &Profile::Calibration::green, doc("MonitorProfile.Calibration.red"))
        .def_readwrite("blue", &Profile::Calibration::blue, doc("MonitorProfile.Calibration.red"))
        .def_readwrite("validation", &Profile::Calibration::validation,
                       doc("MonitorProfile.Calibration.validation"));
    profile.attr("version") = Profile::version;
    profile.def(py::init<>())
        .def_readwrite("name", &Profile::name, doc("MonitorProfile.name"))
        .def_readwrite("widthCm", &Profile::widthCm, "Width of the screen's picture in cm.")
        .def_readwrite("heightCm", &Profile::heightCm, "Height of the screen's picture in cm.")
        .def_readwrite("distanceCm", &Profile::distanceCm, doc("MonitorProfile.distanceCm"))
        .def_readwrite("pixelWidth", &Profile::pixelWidth,
                       "Pixel width of the display mode the profile was made for.")
        .def_readwrite("pixelHeight", &Profile::pixelHeight,
                       "Pixel height of the display mode the profile was made for.")
        .def_readwrite("refreshRate", &Profile::refreshRate,
                       "Refresh rate in Hz of the display mode the profile was made for.")
        .def_readwrite("calibration", &Profile::calibration, doc("MonitorProfile.calibration"))
        .def("calibrated", &Profile::calibrated, doc("MonitorProfile.calibrated"))
        .def_static("load", &Profile::load, py::arg("path"), doc("MonitorProfile.load"))
        .def("save", &Profile::save, py::arg("path"), doc("MonitorProfile.save"))
        .def("toJson", &Profile::toJson, doc("MonitorProfile.toJson"))
        .def_static("pathFor", &Profile::pathFor, py::arg("name"), doc("MonitorProfile.pathFor"))
        .def_static("locate", &Profile::locate, py::arg("nameOrPath"), doc("MonitorProfile.locate"))
        .def("visualAngle", &Profile::visualAngle, py::arg("centre"), doc("MonitorProfile.visualAngle"))
        .def("response", &Profile::response, py::arg("channel"), doc("MonitorProfile.response"))
        .def("applyCalibration", &Profile::applyCalibration, doc("MonitorProfile.applyCalibration"));

    auto canvas = py::reinterpret_borrow<py::class_<Canvas, Drawable>>(m.attr("Canvas"));
    canvas
        .def("useProfile", &Canvas::useProfile, py::arg("profile"), py::arg("acceptMismatch") = false,
             doc("Canvas.useProfile"), chain)
        .def("visualAngle", &Canvas::visualAngle, doc("Canvas.visualAngle"));

    // Color in cd/m², from the luminances a profile's calibration set.
    auto color = py::reinterpret_borrow<py::class_<Color>>(m.attr("Color"));
    py::class_<Color::Photometry>(color, "Photometry", doc("Color.Photometry"))
        .def(py::init<>())
        .def_readwrite("calibrated", &Color::Photometry::calibrated, doc("Color.Photometry.calibrated"))
        .def_readwrite("black", &Color::Photometry::black, doc("Color.Photometry.black"))
        .def_readwrite("white", &Color::Photometry::white, doc("Color.Photometry.white"))
        .def_readwrite("channels", &Color::Photometry::channels, doc("Color.Photometry.channels"))
        .def_property(
            "primary",
            [](const Color::Photometry& p) {
                return py::make_tuple(p.primary[0], p.primary[1], p.primary[2]);
            },
            [](Color::Photometry& p, const std::array<double, 3>& values) {
                std::copy(values.begin(), values.end(), p.primary);
            },
            doc("Color.Photometry.primary"));
    color.def_readwrite_static("photometry", &Color::photometry, doc("Color.photometry"))
        .def_static("luminance", py::overload_cast<double>(&Color::luminance), py::arg("candelas"),
                    doc("Color.luminance"))
        .def_static("luminance", py::overload_cast<double, double, double>(&Color::luminance), py::arg("red"),
                    py::arg("green"), py::arg("blue"))
        .def_static("level", &Color::level, py::arg("candelas"), doc("Color.level"))
        .def_static("michelsonContrast", &Color::michelsonContrast, py::arg("meanCandelas"),
                    py::arg("contrast"), doc("Color.michelsonContrast"))
        .def_static("michelson", &Color::michelson, py::arg("light"), py::arg("dark"), doc("Color.michelson"))
        .def("getLuminance", py::overload_cast<>(&Color::getLuminance, py::const_), doc("Color.getLuminance"))
        .def("getLuminance", py::overload_cast<int>(&Color::getLuminance, py::const_), py::arg("channel"));

    // Photometers: readings wait on the instrument or on the experimenter, so the interpreter
    // lock is released while they do.
    const auto release = py::call_guard<py::gil_scoped_release>();
    py::class_<Photometer>(m, "Photometer", doc("Photometer"))
        .def("measure", &Photometer::measure, doc("Photometer.measure"), release)
        .def("describe", &Photometer::describe, doc("Photometer.describe"));
    py::class_<ManualPhotometer, Photometer>(m, "ManualPhotometer", doc("ManualPhotometer"))
        .def(py::init([]() { return new ManualPhotometer(); }),
             "Reads readings typed on standard input and asks on standard error.")
        .def("setQuestion", &ManualPhotometer::setQuestion, py::arg("question"),
             doc("ManualPhotometer.setQuestion"));
    py::class_<PR655Photometer, Photometer>(m, "PR655Photometer", doc("PR655Photometer"))
        .def(py::init<const std::string&, int>(), py::arg("device"), py::arg("timeoutMs") = 30000,
             doc("PR655Photometer.PR655Photometer"), release);
}

} // namespace StimoraPython
