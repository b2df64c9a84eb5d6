// Triggers and the lines they use: serial and parallel ports, a serial button box, event
// codes written at a canvas's flip, and the marks they leave in the frame log. A canvas keeps
// a pointer to each flip listener, so a trigger given to addFlipListener stays alive in Python
// until it is removed or the canvas dies.

#include "Bindings.h"

#include <cstdint>
#include <string>

namespace StimoraPython {

using namespace Stimora;

namespace {

// For each canvas, the Python objects it points to, keyed; an entry goes with its canvas,
// after the canvas itself is destroyed. Made once per interpreter and never released, as the
// exception class is.
py::dict heldBy(Canvas& canvas) {
    static py::object* table = nullptr;
    if (!table)
        table = new py::object(py::module_::import("weakref").attr("WeakKeyDictionary")());
    return table->attr("setdefault")(py::cast(&canvas, py::return_value_policy::reference), py::dict());
}

// A received byte or press, or None when none is waiting.
template <class Item, class Source, class Take> py::object taken(Source& source, Take take) {
    Item item;
    if (!(source.*take)(item))
        return py::none();
    return py::cast(item);
}

} // namespace

void holdForCanvas(Canvas& canvas, py::handle key, py::object object) {
    heldBy(canvas)[key] = std::move(object);
}

void releaseForCanvas(Canvas& canvas, py::handle key) {
    heldBy(canvas).attr("pop")(key, py::none());
}

void bindTriggers(py::module_& m) {
    // Writes may wait on a full driver buffer; an instrument's greeting is waited for.
    const auto release = py::call_guard<py::gil_scoped_release>();

    py::class_<SerialPort> serial(m, "SerialPort", doc("SerialPort"));
    py::enum_<SerialPort::Parity>(serial, "Parity", doc("SerialPort.Parity"))
        .value("none", SerialPort::Parity::none)
        .value("even", SerialPort::Parity::even)
        .value("odd", SerialPort::Parity::odd);
    py::enum_<SerialPort::FlowControl>(serial, "FlowControl", doc("SerialPort.FlowControl"))
        .value("none", SerialPort::FlowControl::none, doc("SerialPort.FlowControl.none"))
        .value("hardware", SerialPort::FlowControl::hardware, doc("SerialPort.FlowControl.hardware"))
        .value("software", SerialPort::FlowControl::software, doc("SerialPort.FlowControl.software"));
    using Settings = SerialPort::Settings;
    py::class_<Settings>(serial, "Settings", doc("SerialPort.Settings"))
        .def(py::init<>())
        .def_readwrite("baud", &Settings::baud, doc("SerialPort.Settings.baud"))
        .def_readwrite("dataBits", &Settings::dataBits, doc("SerialPort.Settings.dataBits"))
        .def_readwrite("parity", &Settings::parity, doc("SerialPort.Settings.parity"))
        .def_readwrite("stopBits", &Settings::stopBits, doc("SerialPort.Settings.stopBits"))
        .def_readwrite("flow", &Settings::flow, doc("SerialPort.Settings.flow"))
        .def_readwrite("listen", &Settings::listen, doc("SerialPort.Settings.listen"));
    py::class_<SerialPort::Byte>(serial, "Byte", doc("SerialPort.Byte"))
        .def_readonly("value", &SerialPort::Byte::value, doc("SerialPort.Byte.value"))
        .def_readonly("time", &SerialPort::Byte::time, doc("SerialPort.Byte.time"));
    py::class_<SerialPort::Stamps>(serial, "Stamps", doc("SerialPort.Stamps"))
        .def_readonly("before", &SerialPort::Stamps::before, doc("SerialPort.Stamps.before"))
        .def_readonly("after", &SerialPort::Stamps::after, doc("SerialPort.Stamps.after"));
    serial.def(py::init<const std::string&>(), py::arg("path"), doc("SerialPort.SerialPort"))
        .def(py::init<const std::string&, const Settings&>(), py::arg("path"), py::arg("settings"))
        .def(
            "write",
            [](SerialPort& port, const py::buffer& bytes) {
                const py::buffer_info data = bytes.request();
                if (data.itemsize != 1 || data.ndim != 1)
                    throw Exception(
                        typeid(SerialPort), "ARGUMENT ERROR",
                        "SerialPort.write: bytes come as bytes, a bytearray or a flat uint8 array.");
                const py::gil_scoped_release unlocked;
                return port.write(data.ptr, static_cast<std::size_t>(data.size));
            },
            py::arg("bytes"), doc("SerialPort.write"))
        .def("write", py::overload_cast<std::uint8_t>(&SerialPort::write), py::arg("byte"), release)
        .def(
            "nextByte", [](SerialPort& port) { return taken<SerialPort::Byte>(port, &SerialPort::nextByte); },
            "The oldest byte that arrived, or None when none is waiting. Once the waiting bytes are taken, a "
            "port whose device went away raises its Exception here.")
        .def("clearBytes", &SerialPort::clearBytes, doc("SerialPort.clearBytes"))
        .def("droppedBytes", &SerialPort::droppedBytes, doc("SerialPort.droppedBytes"))
        .def_static("queueCapacity", &SerialPort::queueCapacity, doc("SerialPort.queueCapacity"))
        .def("path", &SerialPort::path, doc("SerialPort.path"));

    py::class_<ParallelPort> parallel(m, "ParallelPort", doc("ParallelPort"));
    py::class_<ParallelPort::Stamps>(parallel, "Stamps", doc("ParallelPort.Stamps"))
        .def_readonly("before", &ParallelPort::Stamps::before, doc("ParallelPort.Stamps.before"))
        .def_readonly("after", &ParallelPort::Stamps::after, doc("ParallelPort.Stamps.after"));
    parallel
        .def(py::init<const std::string&>(), py::arg("path") = "/dev/parport0",
             doc("ParallelPort.ParallelPort"))
        .def("write", &ParallelPort::write, py::arg("value"), doc("ParallelPort.write"), release)
        .def("path", &ParallelPort::path, doc("ParallelPort.path"));

    py::class_<ResponseBox> box(m, "ResponseBox", doc("ResponseBox"));
    py::class_<ResponseBox::Press>(box, "Press", doc("ResponseBox.Press"))
        .def_readonly("button", &ResponseBox::Press::button, doc("ResponseBox.Press.button"))
        .def_readonly("time", &ResponseBox::Press::time, doc("ResponseBox.Press.time"));
    box.def(py::init<const std::string&>(), py::arg("path"), doc("ResponseBox.ResponseBox"))
        .def(py::init<const std::string&, Settings>(), py::arg("path"), py::arg("settings"))
        .def(
            "nextPress", [](ResponseBox& b) { return taken<ResponseBox::Press>(b, &ResponseBox::nextPress); },
            "The oldest press, or None when none is waiting. A box that went away raises its Exception once "
            "its waiting presses are taken.")
        .def("clearPresses", &ResponseBox::clearPresses, doc("ResponseBox.clearPresses"))
        .def("droppedPresses", &ResponseBox::droppedPresses, doc("ResponseBox.droppedPresses"))
        .def("port", &ResponseBox::port, doc("ResponseBox.port"),
             py::return_value_policy::reference_internal);

    // Listeners are called inside the flip, without the interpreter: the framework's devices only.
    py::class_<FlipListener>(m, "FlipListener", doc("FlipListener"));
    py::class_<Trigger, FlipListener> trigger(m, "Trigger", doc("Trigger"));
    py::class_<Trigger::Sent>(trigger, "Sent", doc("Trigger.Sent"))
        .def_readonly("code", &Trigger::Sent::code, doc("Trigger.Sent.code"))
        .def_readonly("before", &Trigger::Sent::before, doc("Trigger.Sent.before"))
        .def_readonly("after", &Trigger::Sent::after, doc("Trigger.Sent.after"));
    trigger.attr("codesPerFlip") = Trigger::codesPerFlip;
    trigger.def("send", &Trigger::send, py::arg("code"), doc("Trigger.send"), release)
        .def("sendAtFlip", &Trigger::sendAtFlip, py::arg("code"), doc("Trigger.sendAtFlip"), chain)
        .def("setPulseWidth", &Trigger::setPulseWidth, py::arg("ms"), doc("Trigger.setPulseWidth"), chain)
        .def("getPulseWidth", &Trigger::getPulseWidth, doc("Trigger.getPulseWidth"))
        .def("update", &Trigger::update, doc("Trigger.update"), release)
        .def("lastSent", &Trigger::lastSent, doc("Trigger.lastSent"))
        .def("maxCode", &Trigger::maxCode, doc("Trigger.maxCode"));
    py::class_<SerialTrigger, Trigger>(m, "SerialTrigger", doc("SerialTrigger"))
        .def(py::init<const std::string&>(), py::arg("path"), doc("SerialTrigger.SerialTrigger"))
        .def(py::init<const std::string&, const Settings&>(), py::arg("path"), py::arg("settings"))
        .def("port", &SerialTrigger::port, doc("SerialTrigger.port"),
             py::return_value_policy::reference_internal);
    py::class_<ParallelTrigger, Trigger>(m, "ParallelTrigger", doc("ParallelTrigger"))
        .def(py::init<const std::string&>(), py::arg("path") = "/dev/parport0",
             doc("ParallelTrigger.ParallelTrigger"))
        .def("port", &ParallelTrigger::port, doc("ParallelTrigger.port"),
             py::return_value_policy::reference_internal);
    py::class_<UdpTrigger, Trigger>(m, "UdpTrigger", doc("UdpTrigger"))
        .def(py::init<const std::string&, int>(), py::arg("host"), py::arg("port"),
             doc("UdpTrigger.UdpTrigger"));

    using Mark = FrameLog::Mark;
    auto log = py::reinterpret_borrow<py::class_<FrameLog>>(m.attr("FrameLog"));
    py::class_<Mark>(log, "Mark", doc("FrameLog.Mark"))
        .def_readonly("flip", &Mark::flip, doc("FrameLog.Mark.flip"))
        .def_readonly("kind", &Mark::kind, doc("FrameLog.Mark.kind"))
        .def_readonly("value", &Mark::value, doc("FrameLog.Mark.value"))
        .def_readonly("scheduled", &Mark::scheduled, doc("FrameLog.Mark.scheduled"))
        .def_readonly("reported", &Mark::reported, doc("FrameLog.Mark.reported"));
    log.def("markCount", &FrameLog::markCount, doc("FrameLog.markCount"))
        .def(
            "markAt",
            [](const FrameLog& l, std::size_t i) {
                if (i >= l.markCount())
                    throw py::index_error("frame log mark index out of range");
                return l.markAt(i);
            },
            py::arg("i"), doc("FrameLog.markAt"))
        .def("markOverflow", &FrameLog::markOverflow, doc("FrameLog.markOverflow"));

    auto canvas = py::reinterpret_borrow<py::class_<Canvas, Drawable>>(m.attr("Canvas"));
    canvas
        .def(
            "addFlipListener",
            [](Canvas& c, FlipListener& listener) -> Canvas& {
                py::object held = py::cast(&listener, py::return_value_policy::reference);
                c.addFlipListener(listener);
                holdForCanvas(c, held, held);
                return c;
            },
            py::arg("listener"),
            "Calls listener (a trigger) at every following flip: before the swap with the new frame's "
            "predicted "
            "onset, after it with the onset estimate. The canvas keeps the listener alive until it is "
            "removed; "
            "adding one twice adds it once.",
            chain)
        .def(
            "removeFlipListener",
            [](Canvas& c, FlipListener& listener) -> Canvas& {
                c.removeFlipListener(listener);
                releaseForCanvas(c, py::cast(&listener, py::return_value_policy::reference));
                return c;
            },
            py::arg("listener"), doc("Canvas.removeFlipListener"), chain)
        .def("predictNextOnset", &Canvas::predictNextOnset, doc("Canvas.predictNextOnset"));
}

} // namespace StimoraPython
