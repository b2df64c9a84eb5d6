#pragma once

// What every binding file shares: pybind11, the framework, the docstrings taken from the
// headers, and one function per area that adds that area's names to the module.

#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl_bind.h>

#include <Stimora.h>

#include <vector>

// The procedures' track lists are bound as lists that change in place.
PYBIND11_MAKE_OPAQUE(std::vector<Stimora::ExperimentalMethods::Staircase::Track>)
PYBIND11_MAKE_OPAQUE(std::vector<Stimora::ExperimentalMethods::Quest::Track>)

namespace StimoraPython {

namespace py = pybind11;

/// The /// comment of a declaration, keyed "Class.member", "Class" or a free function's name;
/// "" where the headers have none.
const char* doc(const char* key);

/// Operations that return the object itself hand back the caller's Python object.
constexpr auto chain = py::return_value_policy::reference;

/// Keeps object alive for as long as canvas holds it under key (an object given under the same
/// key replaces it): for what a canvas keeps a pointer to, such as its flip listeners.
void holdForCanvas(Stimora::Canvas& canvas, py::handle key, py::object object);
/// Lets go of what canvas holds under key, if anything.
void releaseForCanvas(Stimora::Canvas& canvas, py::handle key);

/// Adds every area's names to module, in the order their types depend on each other.
void bindAll(py::module_& module);

///@{
/// One area of the framework each.
void bindBase(py::module_& module);
void bindDisplay(py::module_& module);
void bindDevices(py::module_& module);
void bindMath(py::module_& module);
void bindFigures(py::module_& module);
void bindImage(py::module_& module);
void bindGabor(py::module_& module);
void bindCanvas(py::module_& module);
void bindProfiles(py::module_& module);
void bindSound(py::module_& module);
void bindTriggers(py::module_& module);
void bindExperiment(py::module_& module);
void bindProcedures(py::module_& module);
void bindAnalysis(py::module_& module);
///@}

} // namespace StimoraPython
