#include "experiment/Constant.h"

#include "base/Exception.h"
#include "math/Random.h"

#include <limits>
#include <sstream>
#include <typeinfo>
#include <utility>

namespace Stimora {
namespace ExperimentalMethods {

namespace {
const char* const lineEnd = "\r\n";
} // namespace

Constant::Constant() = default;

Constant::~Constant() {
    trialOrder.clear();
    trialOrder.shrink_to_fit();
    for (Variable* variable : retired_)
        delete variable;
}

void Constant::prepare() {
    declareVariables();
    if (independentVariables.empty())
        throw Exception(typeid(*this), "VARIABLE REQUIRED", "No independent variable was set.");
    if (repetitions < 0)
        throw Exception(typeid(*this), "ARGUMENT ERROR", "Repetitions must not be negative.");

    // Variables with fewer than two levels keep one value for the run; the rest multiply
    // the number of trials.
    std::int64_t count = repetitions;
    for (auto it = independentVariables.begin(); it != independentVariables.end();) {
        Variable* variable = *it;
        const int levels = variable->levelCount();
        if (levels > 1) {
            count *= levels;
            if (count > std::numeric_limits<std::int32_t>::max())
                throw Exception(typeid(*this), "ARGUMENT ERROR", "Too many trials for one run.");
            ++it;
            continue;
        }
        if (levels == 1)
            variable->setLevel(0);
        fixedVariables.emplace(variable->label(), variable); // the first declared label wins
        retired_.push_back(variable);
        it = independentVariables.erase(it);
    }
    const int trials = static_cast<int>(count);

    for (Variable* variable : independentVariables)
        variable->prepareRecord(trials);
    if (dependentVariables.empty())
        throw Exception(typeid(*this), "VARIABLE REQUIRED", "No dependent variable was set.");
    for (Variable* variable : dependentVariables)
        variable->prepareRecord(trials);

    trialOrder.clear();
    for (std::int32_t k = 0; k < trials; ++k)
        trialOrder.push_back(k);
    // Each position k takes a uniformly chosen entry from 0..k: every order is equally likely.
    for (int k = 1; k < trials; ++k) {
        const int j = Stimora::random(k + 1) % (k + 1);
        if (j != k)
            std::swap(trialOrder[static_cast<std::size_t>(k)], trialOrder[static_cast<std::size_t>(j)]);
    }

    waitForStart();
}

int Constant::levelOf(std::int32_t code, std::size_t position) const {
    std::int64_t divisor = 1;
    for (std::size_t v = 0; v < position; ++v)
        divisor *= independentVariables.at(v)->levelCount();
    const int levels = independentVariables.at(position)->levelCount();
    return static_cast<int>((code / divisor) % levels);
}

void Constant::runTrials() {
    results_.name(fileTemplate);
    trialCount = static_cast<std::int32_t>(trialOrder.size());
    results_.openJournal(typeid(*this), headerLines());

    for (std::size_t i = 0; i < trialOrder.size(); ++i) {
        const int trial = static_cast<int>(i);
        currentTrial = trial + 1;
        const std::int32_t code = trialOrder[i];
        std::int64_t divisor = 1;
        for (Variable* variable : independentVariables) {
            const int levels = variable->levelCount();
            const int level = static_cast<int>((code / divisor) % levels);
            variable->setLevel(level);
            variable->recordLevel(trial, level);
            divisor *= levels;
        }
        runTrial();
        for (Variable* variable : dependentVariables)
            variable->recordValue(trial);
        results_.appendToJournal(trialLine(trial));
    }
}

void Constant::finish() {
    saveResults();
    afterSave();
}

void Constant::saveResults() {
    // Stamped at the end of the run, when the file is written; the journal kept its own name.
    results_.name(fileTemplate);
    std::string bytes = headerLines();
    for (int i = 0; i < trialCount; ++i)
        bytes += trialLine(i);
    results_.save(typeid(*this), bytes);
}

void Constant::waitForStart() {
    showStartScreen();
}

std::string Constant::headerLines() const {
    std::ostringstream text;
    text << ResultFile::preamble(name, headerNote, fixedVariables) << "TRIAL#\t";
    for (const Variable* variable : independentVariables)
        text << variable->label() << '\t';
    for (const Variable* variable : dependentVariables)
        text << variable->label() << '\t';
    text << lineEnd;
    return text.str();
}

std::string Constant::trialLine(int trial) const {
    std::ostringstream text;
    text << trial + 1 << '\t';
    for (const Variable* variable : independentVariables) {
        variable->printRecorded(trial, text);
        text << '\t';
    }
    for (const Variable* variable : dependentVariables) {
        variable->printRecorded(trial, text);
        text << '\t';
    }
    text << lineEnd;
    return text.str();
}

} // namespace ExperimentalMethods
} // namespace Stimora
