#include "experiment/Constant.h"

#include "application/Exception.h"
#include "devices/Keyboard.h"
#include "display/Canvas.h"
#include "display/Color.h"
#include "file/Paths.h"
#include "math/Random.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <typeinfo>
#include <utility>

namespace Stimora {
namespace ExperimentalMethods {

namespace {

const char* const lineEnd = "\r\n";

// The same file name in the user's home folder; empty where no home folder is known.
std::string inHomeFolder(const std::string& path) {
    std::string home = pathTokenValue("%USER_HOME%");
    if (home.empty()) {
        const char* variable = std::getenv("HOME");
        if (variable == nullptr || *variable == '\0')
            return std::string();
        home = std::string(variable) + "/";
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    return fileName.empty() ? std::string() : home + fileName;
}

// Creates (replacing) path in binary mode, so that the CR LF line ends are written as given.
bool writeWhole(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return false;
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::string describeUnwritable(const char* what, const std::string& path, const std::string& fallback) {
    std::string message = std::string("Failed to create the ") + what + " \"" + path + "\"";
    if (!fallback.empty() && fallback != path)
        message += " or \"" + fallback + "\"";
    return message + ".";
}

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
    resultPath_ = expandPath(fileTemplate);
    savedPath_.clear();
    trialCount = static_cast<std::int32_t>(trialOrder.size());
    if (!openJournal())
        throw Exception(typeid(*this), "FILE ERROR",
                        describeUnwritable("result journal", resultPath_ + ".partial", journalPath_));

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
        const std::string line = trialLine(trial);
        journal_.write(line.data(), static_cast<std::streamsize>(line.size()));
        journal_.flush();
    }
}

void Constant::finish() {
    saveResults();
    afterSave();
}

void Constant::saveResults() {
    if (resultPath_.empty())
        resultPath_ = expandPath(fileTemplate);
    std::string bytes = headerLines();
    for (int i = 0; i < trialCount; ++i)
        bytes += trialLine(i);

    const std::string fallback = inHomeFolder(resultPath_);
    if (writeWhole(resultPath_, bytes))
        savedPath_ = resultPath_;
    else if (fallback != resultPath_ && writeWhole(fallback, bytes))
        savedPath_ = fallback;
    else
        throw Exception(typeid(*this), "FILE ERROR",
                        describeUnwritable("result file", resultPath_, fallback));

    // The result is complete: the journal has served its purpose.
    if (journal_.is_open())
        journal_.close();
    if (!journalPath_.empty())
        std::remove(journalPath_.c_str());
}

void Constant::waitForStart() {
    Stimora::clear(Canvas::back);
    const Point center = Stimora::getCenter();
    Stimora::message("Push space bar to start.", center.x * 0.5 - 30, center.y * 0.5 - 3, Color::white, 0,
                     -1);
    Stimora::flip(1);
    // Each query pumps one window message; only the space bar leaves the start screen.
    while (!Keyboard::pushed(Keyboard::space)) {
    }
    Stimora::clear(Canvas::back);
    Stimora::flip(1);
}

std::string Constant::journalPath() const {
    return journalPath_;
}

bool Constant::openJournal() {
    if (journal_.is_open())
        journal_.close();
    const std::string beside = resultPath_ + ".partial";
    const std::string fallback = inHomeFolder(beside);
    for (const std::string& path : {beside, fallback}) {
        if (path.empty())
            continue;
        journal_.clear();
        journal_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
        if (journal_.is_open()) {
            journalPath_ = path;
            const std::string header = headerLines();
            journal_.write(header.data(), static_cast<std::streamsize>(header.size()));
            journal_.flush();
            return true;
        }
    }
    journalPath_ = fallback;
    return false;
}

std::string Constant::headerLines() const {
    std::ostringstream text;
    text << name << lineEnd << headerNote << lineEnd;
    for (const auto& entry : fixedVariables)
        text << entry.second->label() << '\t' << entry.second->toText() << ";\t";
    text << lineEnd << "TRIAL#\t";
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
