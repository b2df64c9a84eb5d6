// The analysis: result files and frame logs read back, psychometric fits and figures.
// Values come back as Python lists and plain records (copies).

#include "Bindings.h"

namespace StimoraPython {

using namespace Stimora::Analysis;

void bindAnalysis(py::module_& top) {
    py::module_ m = top.def_submodule("Analysis", "Result files and frame logs read back, psychometric fits "
                                                  "and figures.");

    py::class_<ResultTable> table(m, "ResultTable", doc("ResultTable"));
    py::enum_<ResultTable::Procedure>(table, "Procedure", doc("ResultTable.Procedure"))
        .value("constant", ResultTable::Procedure::constant)
        .value("staircase", ResultTable::Procedure::staircase)
        .value("quest", ResultTable::Procedure::quest);
    py::class_<ResultTable::Row>(table, "Row", doc("ResultTable.Row"))
        .def_readonly("line", &ResultTable::Row::line, doc("ResultTable.Row.line"))
        .def_readonly("fields", &ResultTable::Row::fields, doc("ResultTable.Row.fields"));
    table.def_static("read", &ResultTable::read, doc("ResultTable.read"))
        .def_static("parse", &ResultTable::parse, doc("ResultTable.parse"))
        .def("path", &ResultTable::path, doc("ResultTable.path"))
        .def("partial", &ResultTable::partial, doc("ResultTable.partial"))
        .def("procedure", &ResultTable::procedure, doc("ResultTable.procedure"))
        .def("experiment", &ResultTable::experiment, doc("ResultTable.experiment"))
        .def("note", &ResultTable::note, doc("ResultTable.note"))
        .def("fixed", &ResultTable::fixed, doc("ResultTable.fixed"))
        .def("columns", &ResultTable::columns, doc("ResultTable.columns"))
        .def("trials", &ResultTable::trials, doc("ResultTable.trials"))
        .def("estimateColumns", &ResultTable::estimateColumns, doc("ResultTable.estimateColumns"))
        .def("estimates", &ResultTable::estimates, doc("ResultTable.estimates"))
        .def("column", &ResultTable::column, doc("ResultTable.column"))
        .def("hasColumn", &ResultTable::hasColumn, doc("ResultTable.hasColumn"))
        .def("number", &ResultTable::number, doc("ResultTable.number"))
        .def("intensityLabel", &ResultTable::intensityLabel, doc("ResultTable.intensityLabel"))
        .def("responseLabel", &ResultTable::responseLabel, doc("ResultTable.responseLabel"));

    py::class_<PsychometricData> data(m, "PsychometricData", doc("PsychometricData"));
    py::class_<PsychometricData::Level>(data, "Level", doc("PsychometricData.Level"))
        .def(py::init<>())
        .def_readwrite("intensity", &PsychometricData::Level::intensity,
                       doc("PsychometricData.Level.intensity"))
        .def_readwrite("trials", &PsychometricData::Level::trials, doc("PsychometricData.Level.trials"))
        .def_readwrite("correct", &PsychometricData::Level::correct, doc("PsychometricData.Level.correct"))
        .def("proportion", &PsychometricData::Level::proportion, doc("PsychometricData.Level.proportion"));
    py::class_<PsychometricData::Condition>(data, "Condition", doc("PsychometricData.Condition"))
        .def(py::init<>())
        .def_readwrite("name", &PsychometricData::Condition::name, doc("PsychometricData.Condition.name"))
        .def_readwrite("levels", &PsychometricData::Condition::levels,
                       doc("PsychometricData.Condition.levels"));
    data.def_static("group", &PsychometricData::group, py::arg("table"), py::arg("intensity"),
                    py::arg("response"), py::arg("by") = std::vector<std::string>(),
                    doc("PsychometricData.group"));

    using Fit = PsychometricFit;
    py::class_<Fit> fit(m, "PsychometricFit", doc("PsychometricFit"));
    py::enum_<Fit::Shape>(fit, "Shape", doc("PsychometricFit.Shape"))
        .value("weibull", Fit::Shape::weibull)
        .value("logistic", Fit::Shape::logistic)
        .value("gaussian", Fit::Shape::gaussian);
    py::class_<Fit::Options>(fit, "Options", doc("PsychometricFit.Options"))
        .def(py::init<>())
        .def_readwrite("shape", &Fit::Options::shape, doc("PsychometricFit.Options.shape"))
        .def_readwrite("guess", &Fit::Options::guess, doc("PsychometricFit.Options.guess"))
        .def_readwrite("freeLapse", &Fit::Options::freeLapse, doc("PsychometricFit.Options.freeLapse"))
        .def_readwrite("lapse", &Fit::Options::lapse, doc("PsychometricFit.Options.lapse"))
        .def_readwrite("maximumLapse", &Fit::Options::maximumLapse,
                       doc("PsychometricFit.Options.maximumLapse"))
        .def_readwrite("thresholdAt", &Fit::Options::thresholdAt, doc("PsychometricFit.Options.thresholdAt"))
        .def_readwrite("bootstrap", &Fit::Options::bootstrap, doc("PsychometricFit.Options.bootstrap"))
        .def_readwrite("seed", &Fit::Options::seed, doc("PsychometricFit.Options.seed"));
    py::class_<Fit::Estimate>(fit, "Estimate", doc("PsychometricFit.Estimate"))
        .def_readonly("alpha", &Fit::Estimate::alpha, doc("PsychometricFit.Estimate.alpha"))
        .def_readonly("beta", &Fit::Estimate::beta, doc("PsychometricFit.Estimate.beta"))
        .def_readonly("lapse", &Fit::Estimate::lapse, doc("PsychometricFit.Estimate.lapse"))
        .def_readonly("threshold", &Fit::Estimate::threshold, doc("PsychometricFit.Estimate.threshold"))
        .def_readonly("slope", &Fit::Estimate::slope, doc("PsychometricFit.Estimate.slope"))
        .def_readonly("logLikelihood", &Fit::Estimate::logLikelihood,
                      doc("PsychometricFit.Estimate.logLikelihood"))
        .def_readonly("deviance", &Fit::Estimate::deviance, doc("PsychometricFit.Estimate.deviance"))
        .def_readonly("converged", &Fit::Estimate::converged, doc("PsychometricFit.Estimate.converged"))
        .def_readonly("message", &Fit::Estimate::message, doc("PsychometricFit.Estimate.message"));
    py::class_<Fit::Result>(fit, "Result", doc("PsychometricFit.Result"))
        .def_readonly("estimate", &Fit::Result::estimate, doc("PsychometricFit.Result.estimate"))
        .def_readonly("thresholdAt", &Fit::Result::thresholdAt, doc("PsychometricFit.Result.thresholdAt"))
        .def_readonly("thresholdLow", &Fit::Result::thresholdLow, doc("PsychometricFit.Result.thresholdLow"))
        .def_readonly("thresholdHigh", &Fit::Result::thresholdHigh)
        .def_readonly("slopeLow", &Fit::Result::slopeLow, doc("PsychometricFit.Result.slopeLow"))
        .def_readonly("slopeHigh", &Fit::Result::slopeHigh)
        .def_readonly("devianceP", &Fit::Result::devianceP, doc("PsychometricFit.Result.devianceP"))
        .def_readonly("bootstrapSamples", &Fit::Result::bootstrapSamples,
                      doc("PsychometricFit.Result.bootstrapSamples"))
        .def_readonly("bootstrapFailures", &Fit::Result::bootstrapFailures,
                      doc("PsychometricFit.Result.bootstrapFailures"))
        .def_readonly("note", &Fit::Result::note, doc("PsychometricFit.Result.note"));
    const auto release = py::call_guard<py::gil_scoped_release>();
    fit.def_static("sigmoid", &Fit::sigmoid, doc("PsychometricFit.sigmoid"))
        .def_static("probability", &Fit::probability, doc("PsychometricFit.probability"))
        .def_static("fit", &Fit::fit, doc("PsychometricFit.fit"), release)
        .def_static("analyse", &Fit::analyse, doc("PsychometricFit.analyse"), release)
        .def_static("name", &Fit::name, doc("PsychometricFit.name"));

    py::class_<FrameTimes> times(m, "FrameTimes", doc("FrameTimes"));
    py::class_<FrameTimes::Flip>(times, "Flip", doc("FrameTimes.Flip"))
        .def_readonly("index", &FrameTimes::Flip::index, doc("FrameTimes.Flip.index"))
        .def_readonly("frames", &FrameTimes::Flip::frames, doc("FrameTimes.Flip.frames"))
        .def_readonly("onset", &FrameTimes::Flip::onset, doc("FrameTimes.Flip.onset"))
        .def_readonly("interval", &FrameTimes::Flip::interval, doc("FrameTimes.Flip.interval"))
        .def_readonly("missed", &FrameTimes::Flip::missed, doc("FrameTimes.Flip.missed"));
    py::class_<FrameTimes::Summary>(times, "Summary", doc("FrameTimes.Summary"))
        .def_readonly("mean", &FrameTimes::Summary::mean, doc("FrameTimes.Summary.mean"))
        .def_readonly("sd", &FrameTimes::Summary::sd, doc("FrameTimes.Summary.sd"))
        .def_readonly("maximum", &FrameTimes::Summary::maximum, doc("FrameTimes.Summary.maximum"));
    times.def_static("read", &FrameTimes::read, doc("FrameTimes.read"))
        .def("flips", &FrameTimes::flips, doc("FrameTimes.flips"))
        .def("nominalPeriod", &FrameTimes::nominalPeriod, doc("FrameTimes.nominalPeriod"))
        .def("perFrame", &FrameTimes::perFrame, doc("FrameTimes.perFrame"))
        .def("drops", &FrameTimes::drops, doc("FrameTimes.drops"));

    py::class_<Figures> figures(m, "Figures", doc("Figures"));
    py::class_<Figures::Layout>(figures, "Layout", doc("Figures.Layout"))
        .def(py::init<>())
        .def_readwrite("intensityLabel", &Figures::Layout::intensityLabel,
                       doc("Figures.Layout.intensityLabel"))
        .def_readwrite("logIntensity", &Figures::Layout::logIntensity, doc("Figures.Layout.logIntensity"))
        .def_readwrite("overlay", &Figures::Layout::overlay, doc("Figures.Layout.overlay"));
    figures.def_static("psychometric", &Figures::psychometric, doc("Figures.psychometric"), release)
        .def_static("track", &Figures::track, doc("Figures.track"), release)
        .def_static("frameTiming", &Figures::frameTiming, doc("Figures.frameTiming"), release)
        .def_static("binomialInterval", &Figures::binomialInterval, doc("Figures.binomialInterval"));
}

} // namespace StimoraPython
