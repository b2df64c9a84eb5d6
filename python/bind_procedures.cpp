// The procedures, subclassed in Python: declareVariables() and runTrial() are written in
// Python (and prepare(), waitForStart(), afterSave() may be), the trial loop, the records and
// the result file stay in C++. run() releases the interpreter lock; each call into Python
// takes it back. An exception raised in a Python method unwinds through the procedure as a
// C++ exception would (the journal keeps the finished trials) and reaches the caller of run().

#include "Bindings.h"

#include "VariableLists.h"

#include <string>

namespace StimoraPython {

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

namespace {

/// The Python side of a procedure: the steps a script may override.
template <class Base> class PythonProcedure : public Base {
public:
    using Base::Base;
    void declareVariables() override { PYBIND11_OVERRIDE_PURE(void, Base, declareVariables, ); }
    void runTrial() override { PYBIND11_OVERRIDE_PURE(void, Base, runTrial, ); }
    void prepare() override { PYBIND11_OVERRIDE(void, Base, prepare, ); }
    void waitForStart() override { PYBIND11_OVERRIDE(void, Base, waitForStart, ); }
    void afterSave() override { PYBIND11_OVERRIDE(void, Base, afterSave, ); }
    /// The experiment is named by its Python class (the C++ type would name this template).
    void takeName() override {
        py::gil_scoped_acquire hold;
        py::function own = py::get_override(static_cast<const Base*>(this), "takeName");
        if (own) {
            own();
            return;
        }
        this->name = py::str(py::type::handle_of(py::cast(static_cast<Base*>(this))).attr("__name__"));
        setCurrentExperimentName(this->name);
    }
};

template <class T, class Class> void procedureForms(Class& c) {
    c.def("resultPath", &T::resultPath, doc("Adaptive.resultPath"))
        .def("journalPath", &T::journalPath, doc("Adaptive.journalPath"))
        .def("savedPath", &T::savedPath, doc("Adaptive.savedPath"));
}

} // namespace

void bindProcedures(py::module_& m) {
    const auto release = py::call_guard<py::gil_scoped_release>();
    py::class_<ExperimentalMethod>(m, "ExperimentalMethod", doc("ExperimentalMethod"))
        .def("run", &ExperimentalMethod::run, doc("ExperimentalMethod.run"), release)
        .def("declareVariables", &ExperimentalMethod::declareVariables,
             doc("ExperimentalMethod.declareVariables"))
        .def("runTrial", &ExperimentalMethod::runTrial, doc("ExperimentalMethod.runTrial"))
        .def("prepare", &ExperimentalMethod::prepare, doc("ExperimentalMethod.prepare"), release)
        .def("waitForStart", &ExperimentalMethod::waitForStart, doc("ExperimentalMethod.waitForStart"),
             release)
        .def("afterSave", &ExperimentalMethod::afterSave, doc("ExperimentalMethod.afterSave"))
        .def("takeName", &ExperimentalMethod::takeName, doc("ExperimentalMethod.takeName"))
        .def_property_readonly(
            "independentVariables",
            [](ExperimentalMethod& e) { return VariableVector{&e.independentVariables}; },
            py::keep_alive<0, 1>(), doc("ExperimentalMethod.independentVariables"))
        .def_property_readonly(
            "dependentVariables", [](ExperimentalMethod& e) { return VariableVector{&e.dependentVariables}; },
            py::keep_alive<0, 1>(), doc("ExperimentalMethod.dependentVariables"))
        .def_property_readonly(
            "fixedVariables",
            [](ExperimentalMethod& e) {
                py::dict fixed;
                for (const auto& entry : e.fixedVariables)
                    fixed[py::str(entry.first)] = py::cast(entry.second, py::return_value_policy::reference);
                return fixed;
            },
            doc("ExperimentalMethod.fixedVariables"))
        .def_readwrite("name", &ExperimentalMethod::name, doc("ExperimentalMethod.name"))
        .def_readwrite("fileTemplate", &ExperimentalMethod::fileTemplate,
                       doc("ExperimentalMethod.fileTemplate"))
        .def_readwrite("headerNote", &ExperimentalMethod::headerNote, doc("ExperimentalMethod.headerNote"))
        .def_readwrite("repetitions", &ExperimentalMethod::repetitions, doc("ExperimentalMethod.repetitions"))
        .def_readonly("trialCount", &ExperimentalMethod::trialCount, doc("ExperimentalMethod.trialCount"))
        .def_readonly("currentTrial", &ExperimentalMethod::currentTrial,
                      doc("ExperimentalMethod.currentTrial"));

    py::class_<Constant, PythonProcedure<Constant>, ExperimentalMethod> constant(m, "Constant",
                                                                                 doc("Constant"));
    constant.def(py::init<>(), doc("Constant.Constant"))
        .def("levelOf", &Constant::levelOf, doc("Constant.levelOf"));
    procedureForms<Constant>(constant);

    py::class_<Demo, PythonProcedure<Demo>, ExperimentalMethod>(m, "Demo", doc("Demo"))
        .def(py::init<>(), doc("Demo.Demo"))
        .def_readonly("console", &Demo::console, doc("Demo.console"),
                      py::return_value_policy::reference_internal);

    py::class_<Adaptive, ExperimentalMethod> adaptive(m, "Adaptive", doc("Adaptive"));
    adaptive.def("trackOfTrial", &Adaptive::trackOfTrial, doc("Adaptive.trackOfTrial"));
    procedureForms<Adaptive>(adaptive);

    py::class_<Staircase, PythonProcedure<Staircase>, Adaptive> staircase(m, "Staircase", doc("Staircase"));
    py::enum_<Staircase::Scale>(staircase, "Scale", doc("Staircase.Scale"))
        .value("linear", Staircase::Scale::linear)
        .value("log10", Staircase::Scale::log10)
        .value("decibel", Staircase::Scale::decibel);
    py::class_<Staircase::Track>(staircase, "Track", doc("Staircase.Track"))
        .def(py::init<>())
        .def_readwrite("start", &Staircase::Track::start, doc("Staircase.Track.start"))
        .def_readwrite("steps", &Staircase::Track::steps, doc("Staircase.Track.steps"))
        .def_readwrite("scale", &Staircase::Track::scale, doc("Staircase.Track.scale"))
        .def_readwrite("down", &Staircase::Track::down, doc("Staircase.Track.down"))
        .def_readwrite("up", &Staircase::Track::up, doc("Staircase.Track.up"))
        .def_readwrite("minimum", &Staircase::Track::minimum, doc("Staircase.Track.minimum"))
        .def_readwrite("maximum", &Staircase::Track::maximum, doc("Staircase.Track.maximum"))
        .def_readwrite("reversals", &Staircase::Track::reversals, doc("Staircase.Track.reversals"))
        .def_readwrite("trials", &Staircase::Track::trials, doc("Staircase.Track.trials"))
        .def_readwrite("averaged", &Staircase::Track::averaged, doc("Staircase.Track.averaged"));
    py::bind_vector<std::vector<Staircase::Track>>(staircase, "TrackList");
    staircase.def(py::init<>())
        .def_readwrite("staircases", &Staircase::staircases, doc("Staircase.staircases"))
        .def("threshold", &Staircase::threshold, doc("Staircase.threshold"))
        .def("reversalValues", &Staircase::reversalValues, doc("Staircase.reversalValues"));

    using Parameters = QuestPosterior::Parameters;
    py::class_<QuestPosterior> posterior(m, "QuestPosterior", doc("QuestPosterior"));
    py::class_<Parameters>(posterior, "Parameters", doc("QuestPosterior.Parameters"))
        .def(py::init<>())
        .def_readwrite("guess", &Parameters::guess, doc("QuestPosterior.Parameters.guess"))
        .def_readwrite("guessSd", &Parameters::guessSd, doc("QuestPosterior.Parameters.guessSd"))
        .def_readwrite("thresholdProbability", &Parameters::thresholdProbability,
                       doc("QuestPosterior.Parameters.thresholdProbability"))
        .def_readwrite("beta", &Parameters::beta, doc("QuestPosterior.Parameters.beta"))
        .def_readwrite("delta", &Parameters::delta, doc("QuestPosterior.Parameters.delta"))
        .def_readwrite("gamma", &Parameters::gamma, doc("QuestPosterior.Parameters.gamma"))
        .def_readwrite("grain", &Parameters::grain, doc("QuestPosterior.Parameters.grain"))
        .def_readwrite("range", &Parameters::range, doc("QuestPosterior.Parameters.range"));
    posterior.def(py::init<const Parameters&>(), doc("QuestPosterior.QuestPosterior"))
        .def("update", &QuestPosterior::update, doc("QuestPosterior.update"))
        .def("mean", &QuestPosterior::mean, doc("QuestPosterior.mean"))
        .def("sd", &QuestPosterior::sd, doc("QuestPosterior.sd"))
        .def("mode", &QuestPosterior::mode, doc("QuestPosterior.mode"))
        .def("quantile", &QuestPosterior::quantile, doc("QuestPosterior.quantile"))
        .def("probabilityCorrect", &QuestPosterior::probabilityCorrect,
             doc("QuestPosterior.probabilityCorrect"))
        .def("trials", &QuestPosterior::trials, doc("QuestPosterior.trials"));

    py::class_<Quest, PythonProcedure<Quest>, Adaptive> quest(m, "Quest", doc("Quest"));
    py::enum_<Quest::Placement>(quest, "Placement", doc("Quest.Placement"))
        .value("mean", Quest::Placement::mean)
        .value("mode", Quest::Placement::mode)
        .value("quantile", Quest::Placement::quantile);
    py::class_<Quest::Track>(quest, "Track", doc("Quest.Track"))
        .def(py::init<>())
        .def_readwrite("model", &Quest::Track::model, doc("Quest.Track.model"))
        .def_readwrite("placement", &Quest::Track::placement, doc("Quest.Track.placement"))
        .def_readwrite("quantileOrder", &Quest::Track::quantileOrder, doc("Quest.Track.quantileOrder"))
        .def_readwrite("trials", &Quest::Track::trials, doc("Quest.Track.trials"))
        .def_readwrite("minimum", &Quest::Track::minimum, doc("Quest.Track.minimum"))
        .def_readwrite("maximum", &Quest::Track::maximum, doc("Quest.Track.maximum"));
    py::bind_vector<std::vector<Quest::Track>>(quest, "TrackList");
    quest.def(py::init<>())
        .def_readwrite("quests", &Quest::quests, doc("Quest.quests"))
        .def("posterior", &Quest::posterior, doc("Quest.posterior"),
             py::return_value_policy::reference_internal);
}

} // namespace StimoraPython
