#include "experiment/Adaptive.h"

#include "base/Exception.h"
#include "math/Random.h"

#include <limits>
#include <sstream>
#include <typeinfo>

namespace Stimora {
namespace ExperimentalMethods {

Adaptive::Adaptive() = default;

Adaptive::~Adaptive() {
    for (Variable* variable : retired_)
        delete variable;
}

void Adaptive::prepare() {
    declareVariables();
    if (independentVariables.empty())
        throw Exception(typeid(*this), "VARIABLE REQUIRED",
                        "No intensity was set: declare it as the first independent variable.");
    intensity_ = dynamic_cast<VariableInstance<double>*>(independentVariables.front());
    if (intensity_ == nullptr)
        throw Exception(typeid(*this), "ARGUMENT ERROR",
                        "The intensity (the first independent variable) must be a VariableInstance<double>.");
    if (dependentVariables.empty())
        throw Exception(typeid(*this), "VARIABLE REQUIRED",
                        "No response was set: declare it as the first dependent variable.");
    response_ = dynamic_cast<VariableInstance<int>*>(dependentVariables.front());
    if (response_ == nullptr)
        throw Exception(typeid(*this), "ARGUMENT ERROR",
                        "The response (the first dependent variable) must be a VariableInstance<int>.");

    // Only the intensity changes from trial to trial: the other variables keep one value.
    for (auto it = independentVariables.begin() + 1; it != independentVariables.end();) {
        Variable* variable = *it;
        if (variable->levelCount() > 1)
            throw Exception(typeid(*this), "ARGUMENT ERROR",
                            "\"" + variable->label() + "\" has " + std::to_string(variable->levelCount()) +
                                " levels; besides the intensity, variables keep one value for the run.");
        if (variable->levelCount() == 1)
            variable->setLevel(0);
        fixedVariables.emplace(variable->label(), variable); // the first declared label wins
        retired_.push_back(variable);
        it = independentVariables.erase(it);
    }

    startTracks();
    std::int64_t limit = 0;
    for (int track = 0; track < trackCount(); ++track)
        limit += trialLimit(track);
    if (limit > std::numeric_limits<std::int32_t>::max())
        throw Exception(typeid(*this), "ARGUMENT ERROR", "Too many trials for one run.");
    trialCount = static_cast<std::int32_t>(limit);
    intensity_->prepareRecord(trialCount);
    for (Variable* variable : dependentVariables)
        variable->prepareRecord(trialCount);
    tracks_.clear();
    fields_.clear();

    waitForStart();
}

void Adaptive::runTrials() {
    results_.name(fileTemplate);
    tracks_.clear();
    fields_.clear();
    results_.openJournal(typeid(*this), headerLines());

    std::vector<int> open;
    for (int trial = 0;; ++trial) {
        open.clear();
        for (int track = 0; track < trackCount(); ++track)
            if (!finished(track))
                open.push_back(track);
        if (open.empty())
            break;
        const int n = static_cast<int>(open.size());
        const int track = n == 1 ? open.front() : open[static_cast<std::size_t>(Stimora::random(n) % n)];

        currentTrial = trial + 1;
        const double value = nextIntensity(track);
        intensity_->value() = value;
        intensity_->recordValue(trial);
        response_->value() = -1; // a trial that never answers is caught below
        runTrial();
        const int response = response_->value();
        if (response != 0 && response != 1)
            throw Exception(typeid(*this), "ARGUMENT ERROR",
                            "Trial " + std::to_string(currentTrial) + " left \"" + response_->label() +
                                "\" at " + std::to_string(response) +
                                "; a response is 1 (correct) or 0 (wrong).");
        fields_.push_back(respond(track, value, response));
        tracks_.push_back(track);
        for (Variable* variable : dependentVariables)
            variable->recordValue(trial);
        results_.appendToJournal(trialLine(trial));
    }
    trialCount = static_cast<std::int32_t>(tracks_.size());
}

void Adaptive::finish() {
    saveResults();
    afterSave();
}

void Adaptive::saveResults() {
    // Stamped at the end of the run, when the file is written; the journal kept its own name.
    results_.name(fileTemplate);
    std::string bytes = headerLines();
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        bytes += trialLine(static_cast<int>(i));
    results_.save(typeid(*this), bytes + estimateLines());
}

void Adaptive::waitForStart() {
    showStartScreen();
}

std::string Adaptive::headerLines() const {
    std::ostringstream text;
    text << ResultFile::preamble(name, headerNote, fixedVariables) << "TRIAL#\t" << trackTitle();
    if (intensity_ != nullptr && response_ != nullptr)
        text << intensity_->label() << '\t' << response_->label() << '\t';
    text << trackColumns();
    for (std::size_t v = 1; v < dependentVariables.size(); ++v)
        text << dependentVariables[v]->label() << '\t';
    text << "\r\n";
    return text.str();
}

std::string Adaptive::trialLine(int trial) const {
    std::ostringstream text;
    text << trial + 1 << '\t' << tracks_[static_cast<std::size_t>(trial)] + 1 << '\t';
    intensity_->printRecorded(trial, text) << '\t';
    response_->printRecorded(trial, text) << '\t' << fields_[static_cast<std::size_t>(trial)];
    for (std::size_t v = 1; v < dependentVariables.size(); ++v)
        dependentVariables[v]->printRecorded(trial, text) << '\t';
    text << "\r\n";
    return text.str();
}

} // namespace ExperimentalMethods
} // namespace Stimora
