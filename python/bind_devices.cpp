// Keyboard and mouse states and events, and the clock. Queries pump one window message each,
// as they do in C++; a loop waiting for a key keeps asking (and keeps flipping).

#include "Bindings.h"

#include <string>

namespace StimoraPython {

using Stimora::Clock;
using Stimora::Keyboard;
using Stimora::Mouse;

namespace {

struct NamedKey {
    const char* name;
    Keyboard::Key key;
};

// The key table's named entries, as the Keyboard class names them.
const NamedKey keys[] = {
    {"one", Keyboard::one},
    {"two", Keyboard::two},
    {"three", Keyboard::three},
    {"four", Keyboard::four},
    {"five", Keyboard::five},
    {"six", Keyboard::six},
    {"seven", Keyboard::seven},
    {"eight", Keyboard::eight},
    {"nine", Keyboard::nine},
    {"zero", Keyboard::zero},
    {"a", Keyboard::a},
    {"b", Keyboard::b},
    {"c", Keyboard::c},
    {"d", Keyboard::d},
    {"e", Keyboard::e},
    {"f", Keyboard::f},
    {"g", Keyboard::g},
    {"h", Keyboard::h},
    {"i", Keyboard::i},
    {"j", Keyboard::j},
    {"k", Keyboard::k},
    {"l", Keyboard::l},
    {"m", Keyboard::m},
    {"n", Keyboard::n},
    {"o", Keyboard::o},
    {"p", Keyboard::p},
    {"q", Keyboard::q},
    {"r", Keyboard::r},
    {"s", Keyboard::s},
    {"t", Keyboard::t},
    {"u", Keyboard::u},
    {"v", Keyboard::v},
    {"w", Keyboard::w},
    {"x", Keyboard::x},
    {"y", Keyboard::y},
    {"z", Keyboard::z},
    {"comma", Keyboard::comma},
    {"period", Keyboard::period},
    {"slash", Keyboard::slash},
    {"pad0", Keyboard::pad0},
    {"pad1", Keyboard::pad1},
    {"pad2", Keyboard::pad2},
    {"pad3", Keyboard::pad3},
    {"pad4", Keyboard::pad4},
    {"pad5", Keyboard::pad5},
    {"pad6", Keyboard::pad6},
    {"pad7", Keyboard::pad7},
    {"pad8", Keyboard::pad8},
    {"pad9", Keyboard::pad9},
    {"enter", Keyboard::enter},
    {"space", Keyboard::space},
    {"escape", Keyboard::escape},
    {"up", Keyboard::up},
    {"down", Keyboard::down},
    {"left", Keyboard::left},
    {"right", Keyboard::right},
    {"shift", Keyboard::shift},
    {"control", Keyboard::control},
    {"alt", Keyboard::alt},
    {"minus", Keyboard::minus},
    {"backslash", Keyboard::backslash},
    {"leftBracket", Keyboard::leftBracket},
    {"rightBracket", Keyboard::rightBracket},
    {"padPlus", Keyboard::padPlus},
    {"padMinus", Keyboard::padMinus},
    {"padMultiply", Keyboard::padMultiply},
    {"padDivide", Keyboard::padDivide},
};

} // namespace

void bindDevices(py::module_& m) {
    py::class_<Clock>(m, "Clock", doc("Clock"))
        .def(py::init<>(), doc("Clock.Clock"))
        .def(py::init<std::int64_t>(), py::arg("ticks"))
        .def("update", &Clock::update, doc("Clock.update"), chain)
        .def_static("now", &Clock::now, doc("Clock.now"))
        .def("ticks", &Clock::ticks, doc("Clock.ticks"))
        .def("milliseconds", &Clock::milliseconds, doc("Clock.milliseconds"))
        .def_static("tickRate", &Clock::tickRate, doc("Clock.tickRate"))
        .def(py::self + py::self)
        .def(py::self - py::self)
        .def(py::self == py::self)
        .def(py::self != py::self)
        .def(py::self < py::self)
        .def(py::self > py::self)
        .def(py::self <= py::self)
        .def(py::self >= py::self)
        .def("__repr__", [](const Clock& c) { return "Clock(" + std::to_string(c.ticks()) + ")"; });
    m.def("nowMilliseconds", &Stimora::nowMilliseconds, doc("nowMilliseconds"));

    py::class_<Stimora::KeyState> state(m, "KeyState", doc("KeyState"));
    state.attr("pressed") = static_cast<int>(Stimora::KeyState::pressed);
    state.attr("pushed") = static_cast<int>(Stimora::KeyState::pushed);
    state.attr("released") = static_cast<int>(Stimora::KeyState::released);

    py::class_<Keyboard> keyboard(m, "Keyboard", doc("Keyboard"));
    py::class_<Keyboard::Key>(keyboard, "Key", doc("Keyboard.Key"))
        .def(py::init([](int index) { return Keyboard::Key{index}; }), py::arg("index"))
        .def_readonly("index", &Keyboard::Key::index, doc("Keyboard.Key.index"));
    for (const NamedKey& named : keys)
        keyboard.attr(named.name) = named.key;
    py::class_<Keyboard::Event>(keyboard, "Event", doc("Keyboard.Event"))
        .def_readonly("code", &Keyboard::Event::code, doc("Keyboard.Event.code"))
        .def_readonly("sharedCode", &Keyboard::Event::sharedCode, doc("Keyboard.Event.sharedCode"))
        .def_readonly("down", &Keyboard::Event::down, doc("Keyboard.Event.down"))
        .def_readonly("time", &Keyboard::Event::time, doc("Keyboard.Event.time"))
        .def("is_", &Keyboard::Event::is, doc("Keyboard.Event.is"));
    keyboard.attr("keyCount") = Keyboard::keyCount;
    keyboard.def_static("get", &Keyboard::get, doc("Keyboard.get"))
        .def_static("pushed", &Keyboard::pushed, doc("Keyboard.pushed"))
        .def_static("pressed", &Keyboard::pressed, doc("Keyboard.pressed"))
        .def_static("released", &Keyboard::released, doc("Keyboard.released"))
        .def_static("clear", &Keyboard::clear, doc("Keyboard.clear"))
        .def_static(
            "nextEvent",
            []() -> py::object {
                Keyboard::Event event;
                if (!Keyboard::nextEvent(event))
                    return py::none();
                return py::cast(event);
            },
            "The oldest queued key transition, or None when none is waiting. Reads the window system "
            "first. The queue is separate from the polled states.")
        .def_static("clearEvents", &Keyboard::clearEvents, doc("Keyboard.clearEvents"))
        .def_static("droppedEvents", &Keyboard::droppedEvents, doc("Keyboard.droppedEvents"))
        .def_static("code", &Keyboard::code, doc("Keyboard.code"));
    m.def("pumpMessage", &Stimora::pumpMessage, doc("pumpMessage"));

    py::class_<Mouse> mouse(m, "Mouse", doc("Mouse"));
    py::class_<Mouse::Button>(mouse, "Button", doc("Mouse.Button"))
        .def(py::init([](int index) { return Mouse::Button{index}; }), py::arg("index"))
        .def_readonly("index", &Mouse::Button::index, doc("Mouse.Button.index"));
    mouse.attr("left") = Mouse::left;
    mouse.attr("right") = Mouse::right;
    mouse.attr("middle") = Mouse::middle;
    py::class_<Mouse::Event>(mouse, "Event", doc("Mouse.Event"))
        .def_readonly("button", &Mouse::Event::button, doc("Mouse.Event.button"))
        .def_readonly("down", &Mouse::Event::down, doc("Mouse.Event.down"))
        .def_readonly("time", &Mouse::Event::time, doc("Mouse.Event.time"))
        .def_readonly("x", &Mouse::Event::x, doc("Mouse.Event.x"))
        .def_readonly("y", &Mouse::Event::y, doc("Mouse.Event.y"));
    mouse.def_static("get", &Mouse::get, doc("Mouse.get"))
        .def_static("pushed", &Mouse::pushed, doc("Mouse.pushed"))
        .def_static("pressed", &Mouse::pressed, doc("Mouse.pressed"))
        .def_static("released", &Mouse::released, doc("Mouse.released"))
        .def_static("clear", &Mouse::clear, doc("Mouse.clear"))
        .def_static(
            "nextEvent",
            []() -> py::object {
                Mouse::Event event;
                if (!Mouse::nextEvent(event))
                    return py::none();
                return py::cast(event);
            },
            "The oldest queued button transition, or None when none is waiting.")
        .def_static("clearEvents", &Mouse::clearEvents, doc("Mouse.clearEvents"))
        .def_static("droppedEvents", &Mouse::droppedEvents, doc("Mouse.droppedEvents"))
        .def_static("position", &Mouse::position, doc("Mouse.position"))
        .def_static("setPosition", &Mouse::setPosition, doc("Mouse.setPosition"))
        .def_static("lastPosition", &Mouse::lastPosition, doc("Mouse.lastPosition"))
        .def_static("x", &Mouse::x, doc("Mouse.x"))
        .def_static("y", &Mouse::y, doc("Mouse.y"))
        .def_static("showSoftwareCursor", &Mouse::showSoftwareCursor, doc("Mouse.showSoftwareCursor"))
        .def_static("hideSoftwareCursor", &Mouse::hideSoftwareCursor)
        .def_static("softwareCursorShown", &Mouse::softwareCursorShown)
        .def_static("showSystemCursor", &Mouse::showSystemCursor, doc("Mouse.showSystemCursor"))
        .def_static("hideSystemCursor", &Mouse::hideSystemCursor)
        .def_static("systemCursorShown", &Mouse::systemCursorShown);
}

} // namespace StimoraPython
