// Experiment variables, the variable list and console, and the procedure host.
//
// A variable in C++ is bound to a value the experiment owns; in Python the variable owns its
// value (read and set through .value), and the list it is appended to owns the variable, as
// the procedures and the global list own theirs in C++. Variables are therefore made by the
// list: list.append(0.5) makes a double variable, list.append(0) an int one.

#include "Bindings.h"

#include "VariableLists.h"

#include <sstream>
#include <string>

namespace StimoraPython {

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

namespace {

template <class T> void bindInstance(py::module_& m, const char* name) {
    py::class_<VariableInstance<T>, Variable>(m, name, doc("VariableInstance"))
        .def_property(
            "value", [](const VariableInstance<T>& v) { return v.value(); },
            [](VariableInstance<T>& v, T value) { v.value() = value; }, doc("VariableInstance.value"))
        .def(
            "label",
            [](VariableInstance<T>& v, const std::string& text) -> VariableInstance<T>& {
                return v.label(text);
            },
            doc("VariableInstance.label"), chain)
        .def("range", &VariableInstance<T>::range, doc("VariableInstance.range"), chain)
        .def("step", &VariableInstance<T>::step, doc("VariableInstance.step"), chain)
        .def("level", &VariableInstance<T>::level, doc("VariableInstance.level"), chain)
        .def_readonly("initialValue", &VariableInstance<T>::initialValue,
                      doc("VariableInstance.initialValue"))
        .def_readonly("steps", &VariableInstance<T>::steps, doc("VariableInstance.steps"))
        .def_readonly("levels", &VariableInstance<T>::levels, doc("VariableInstance.levels"))
        .def_readonly("record", &VariableInstance<T>::record, doc("VariableInstance.record"));
}

// The host's routine: ProcedureHost calls a plain function, which calls the Python routine
// of the host being run.
struct PythonHost : ProcedureHost {
    py::object routine;
    static PythonHost*& running() {
        static PythonHost* host = nullptr;
        return host;
    }
    static void call(Canvas& canvas) {
        py::gil_scoped_acquire hold;
        running()->routine(py::cast(&canvas, py::return_value_policy::reference));
    }
};

} // namespace

void bindExperiment(py::module_& m) {
    py::class_<Variable>(m, "Variable", doc("Variable"))
        .def("label", py::overload_cast<>(&Variable::label, py::const_), doc("Variable.label"))
        .def(
            "label", [](Variable& v, const std::string& text) -> Variable& { return v.label(text); },
            py::arg("text"), chain)
        .def("toText", &Variable::toText, doc("Variable.toText"))
        .def("setByRatio", &Variable::setByRatio, doc("Variable.setByRatio"))
        .def("setLevel", &Variable::setLevel, doc("Variable.setLevel"))
        .def("increment", &Variable::increment, doc("Variable.increment"))
        .def("decrement", &Variable::decrement, doc("Variable.decrement"))
        .def("ratio", &Variable::ratio, doc("Variable.ratio"))
        .def("getRange", &Variable::getRange, doc("Variable.getRange"))
        .def("levelCount", &Variable::levelCount, doc("Variable.levelCount"))
        .def("stepCount", &Variable::stepCount, doc("Variable.stepCount"))
        .def("__str__", &Variable::toText);
    bindInstance<double>(m, "VariableInstanceDouble");
    bindInstance<int>(m, "VariableInstanceInt");

    py::class_<VariableVector>(
        m, "VariableVector",
        "A procedure's list of variables; append(value) makes a variable owning value "
        "(an int makes an int variable, a float a double one), which the procedure owns.")
        .def("append", &VariableVector::appendInt, py::arg("value"), chain)
        .def("append", &VariableVector::appendDouble, py::arg("value"), chain)
        .def("__len__", [](const VariableVector& v) { return v.list->size(); })
        .def("__getitem__", &VariableVector::at, chain);

    py::class_<VariableList, std::unique_ptr<VariableList, py::nodelete>>(m, "VariableList",
                                                                          doc("VariableList"))
        .def("append", &appendTo<int>, py::arg("value"), doc("VariableList.append"), chain)
        .def("append", &appendTo<double>, py::arg("value"), chain)
        .def("size", &VariableList::size, doc("VariableList.size"))
        .def("__len__", &VariableList::size)
        .def("empty", &VariableList::empty, doc("VariableList.empty"))
        .def("at", &VariableList::at, doc("VariableList.at"), chain)
        .def("clear", &VariableList::clear, doc("VariableList.clear"));
    m.def("globalVariables", &globalVariables, doc("globalVariables"), chain);

    py::class_<VariableConsole, FigureDatum> console(m, "VariableConsole", py::multiple_inheritance(),
                                                     doc("VariableConsole"));
    console.def_readwrite("selected", &VariableConsole::selected, doc("VariableConsole.selected"))
        .def_readonly("hovered", &VariableConsole::hovered, doc("VariableConsole.hovered"))
        .def("size", &VariableConsole::size, doc("VariableConsole.size"))
        .def("row", &VariableConsole::row, doc("VariableConsole.row"), chain)
        .def_property(
            "colors", [](const VariableConsole& c) { return c.colors; },
            [](VariableConsole& c, const std::array<Color, 5>& colors) { c.colors = colors; },
            doc("VariableConsole.colors"));
    console.attr("selectedText") = VariableConsole::selectedText;
    console.attr("otherText") = VariableConsole::otherText;
    console.attr("background") = VariableConsole::background;
    console.attr("bar") = VariableConsole::bar;
    console.attr("hoveredBar") = VariableConsole::hoveredBar;

    py::class_<PythonHost>(m, "ProcedureHost", doc("ProcedureHost"))
        .def(py::init<>(), doc("ProcedureHost.ProcedureHost"))
        .def_readonly("console", &PythonHost::console, doc("ProcedureHost.console"),
                      py::return_value_policy::reference_internal)
        .def("hideConsole", &PythonHost::hideConsole, doc("ProcedureHost.hideConsole"))
        .def_readonly("consoleHidden", &PythonHost::consoleHidden, doc("ProcedureHost.consoleHidden"))
        .def(
            "setRoutine", [](PythonHost& h, py::object routine) { h.routine = std::move(routine); },
            py::arg("routine"),
            "Stores the routine: a callable taking the canvas to draw on, which runs its own frame loop.")
        .def(
            "run",
            [](PythonHost& h, Canvas& canvas) {
                if (!h.routine)
                    throw Exception(typeid(ProcedureHost), "ARGUMENT ERROR",
                                    "ProcedureHost.run: no routine was set.");
                PythonHost* before = PythonHost::running();
                PythonHost::running() = &h;
                h.setRoutine(&PythonHost::call);
                try {
                    py::gil_scoped_release free;
                    h.ProcedureHost::run(canvas);
                } catch (...) {
                    PythonHost::running() = before;
                    throw;
                }
                PythonHost::running() = before;
            },
            py::arg("canvas"), doc("ProcedureHost.run"));
}

} // namespace StimoraPython
