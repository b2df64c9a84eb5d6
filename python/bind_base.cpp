// The module's set-up, the framework's Exception as a Python exception, start-up, points,
// rounding and paths.

#include "Bindings.h"

#include <memory>
#include <string>
#include <typeinfo>

namespace StimoraPython {

namespace {

// The Python class stimora.Exception. Made once per interpreter and never released: a
// reference dropped after the interpreter has gone would crash the exit.
py::object* exceptionClass = nullptr;

void raise(const Stimora::Exception& error) {
    py::object instance =
        (*exceptionClass)(error.kind(), error.message(), Stimora::qualifiedTypeName(error.thrower()));
    PyErr_SetObject(exceptionClass->ptr(), instance.ptr());
}

const char* exceptionSource = R"(
import builtins

class Exception(builtins.Exception):
    """The framework's error: the class that raised it (thrower), a short upper-case kind
    ("SIZE ERROR", "API ERROR", ...) and a sentence explaining the failure (message)."""

    def __init__(self, kind="", message="", thrower="Stimora::Exception"):
        super().__init__(thrower + " [" + kind + "] " + message)
        self.kind = kind
        self.message = message
        self.thrower = thrower
)";

} // namespace

void bindAll(py::module_& module) {
    module.doc() = "Stimora: calibrated, frame-locked visual stimuli for vision science. The experiment is a "
                   "Python script; the frame hold, the flip, the stamping and the logging run in C++.";
    bindBase(module);
    bindDisplay(module);
    bindDevices(module);
    bindMath(module);
    bindFigures(module);
    bindImage(module);
    bindGabor(module);
    bindCanvas(module);
    bindProfiles(module);
    bindSound(module);
    bindTriggers(module);
    bindExperiment(module);
    bindProcedures(module);
    bindAnalysis(module);
}

void bindBase(py::module_& m) {
    py::dict scope;
    scope["__name__"] = m.attr("__name__");
    py::exec(exceptionSource, scope);
    exceptionClass = new py::object(scope["Exception"]);
    m.attr("Exception") = *exceptionClass;
    // The framework raises its Exception by value, or by pointer for misuse found deep in a
    // call; the canvas and the intervals raise two enumerations as bare values.
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const Stimora::Exception& error) {
            raise(error);
        } catch (Stimora::Exception* error) {
            const std::unique_ptr<Stimora::Exception> owned(error);
            raise(*owned);
        } catch (Stimora::Canvas::Error) {
            raise(Stimora::Exception(typeid(Stimora::Canvas), "CANVAS ERROR",
                                     "The canvas is already initialised."));
        } catch (Stimora::Interval::TYPES type) {
            raise(Stimora::Exception(typeid(Stimora::Interval), "INTERVAL ERROR",
                                     "An end of the interval is of type " + std::to_string(type) +
                                         ", which the operation cannot use."));
        }
    });

    py::class_<Stimora::Point>(m, "Point", doc("Point"))
        .def(py::init<>(), doc("Point.Point"))
        .def(py::init<double, double, double>(), py::arg("x"), py::arg("y"), py::arg("z") = 0.0)
        .def_readwrite("x", &Stimora::Point::x, doc("Point.x"))
        .def_readwrite("y", &Stimora::Point::y, doc("Point.y"))
        .def_readwrite("z", &Stimora::Point::z, doc("Point.z"))
        .def(py::self == py::self)
        .def(py::self != py::self)
        .def("__repr__", [](const Stimora::Point& p) {
            return "Point(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) +
                   ")";
        });

    m.def("startUp", &Stimora::startUp, doc("startUp"));
    m.def("isStartedUp", &Stimora::isStartedUp, doc("isStartedUp"));
    m.def("roundToInt", &Stimora::roundToInt, doc("roundToInt"));
    m.def("truncateToInt", &Stimora::truncateToInt, doc("truncateToInt"));
    m.def("expandPath", py::overload_cast<const std::string&>(&Stimora::expandPath), doc("expandPath"));
    m.def("pathTokenValue", &Stimora::pathTokenValue, doc("pathTokenValue"));
    m.def("currentExperimentName", &Stimora::currentExperimentName, doc("currentExperimentName"));
    m.def("setCurrentExperimentName", &Stimora::setCurrentExperimentName, doc("setCurrentExperimentName"));
}

} // namespace StimoraPython
