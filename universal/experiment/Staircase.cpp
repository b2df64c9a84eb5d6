#include "experiment/Staircase.h"

#include "base/Exception.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <typeinfo>

namespace Stimora {
namespace ExperimentalMethods {

namespace {

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

void Staircase::refuse(int track, const std::string& what) const {
    throw Exception(typeid(*this), "ARGUMENT ERROR", "Staircase " + std::to_string(track + 1) + ": " + what);
}

double Staircase::toSteps(const Track& track, double value) const {
    switch (track.scale) {
    case Scale::log10:
        return std::log10(value);
    case Scale::decibel:
        return 20 * std::log10(value);
    case Scale::linear:
        break;
    }
    return value;
}

double Staircase::fromSteps(const Track& track, double level) const {
    switch (track.scale) {
    case Scale::log10:
        return std::pow(10.0, level);
    case Scale::decibel:
        return std::pow(10.0, level / 20);
    case Scale::linear:
        break;
    }
    return level;
}

int Staircase::trackCount() const {
    return static_cast<int>(staircases.size());
}

void Staircase::startTracks() {
    if (staircases.empty())
        throw Exception(typeid(*this), "ARGUMENT ERROR", "No staircase was declared.");
    progress_.assign(staircases.size(), Progress());
    for (int t = 0; t < trackCount(); ++t) {
        const Track& track = staircases[static_cast<std::size_t>(t)];
        if (track.steps.empty())
            refuse(t, "the list of step sizes is empty.");
        for (double step : track.steps)
            if (!(step > 0) || !std::isfinite(step))
                refuse(t, "the step size " + number(step) + " is not positive.");
        if (!(track.minimum < track.maximum))
            refuse(t, "the minimum " + number(track.minimum) + " is not below the maximum " +
                          number(track.maximum) + ".");
        const bool logarithmic = track.scale != Scale::linear;
        if (logarithmic && !(track.start > 0))
            refuse(t, "log10 or decibel steps need a positive start value, not " + number(track.start) + ".");
        if (!std::isfinite(track.start) || track.start < track.minimum || track.start > track.maximum)
            refuse(t, "the start value " + number(track.start) + " lies outside the minimum and maximum.");
        if (track.down < 1 || track.up < 1)
            refuse(t, "the up and down rule needs at least one response each way.");
        if (track.reversals < 1 || track.trials < 1 || track.averaged < 1)
            refuse(t, "the reversals, trials and averaged reversals must each be at least 1.");

        Progress& state = progress_[static_cast<std::size_t>(t)];
        state.level = toSteps(track, track.start);
        // On a log scale a minimum of 0 or below sets no bound.
        state.lowest = logarithmic && track.minimum <= 0 ? -std::numeric_limits<double>::infinity()
                                                         : toSteps(track, track.minimum);
        state.highest = toSteps(track, track.maximum);
    }
}

int Staircase::trialLimit(int track) const {
    return staircases[static_cast<std::size_t>(track)].trials;
}

bool Staircase::finished(int track) const {
    const Track& rule = staircases[static_cast<std::size_t>(track)];
    const Progress& state = progress_[static_cast<std::size_t>(track)];
    return state.trials >= rule.trials || static_cast<int>(state.reversals.size()) >= rule.reversals;
}

double Staircase::nextIntensity(int track) {
    return fromSteps(staircases[static_cast<std::size_t>(track)],
                     progress_[static_cast<std::size_t>(track)].level);
}

std::string Staircase::respond(int track, double, int response) {
    const Track& rule = staircases[static_cast<std::size_t>(track)];
    Progress& state = progress_[static_cast<std::size_t>(track)];
    ++state.trials;
    int move = 0;
    if (response == 1) {
        state.wrongRun = 0;
        if (++state.correctRun >= rule.down) {
            move = -1;
            state.correctRun = 0;
        }
    } else {
        state.correctRun = 0;
        if (++state.wrongRun >= rule.up) {
            move = 1;
            state.wrongRun = 0;
        }
    }
    bool reversal = false;
    if (move != 0) {
        // A turn: this trial's intensity is the reversal value, and the next step size applies.
        if (state.direction != 0 && move != state.direction) {
            reversal = true;
            state.reversals.push_back(state.level);
            state.step = std::min(state.step + 1, rule.steps.size() - 1);
        }
        state.direction = move;
        state.level =
            std::max(state.lowest, std::min(state.highest, state.level + move * rule.steps[state.step]));
    }
    return reversal ? "1\t" : "0\t";
}

double Staircase::threshold(int track) const {
    const Track& rule = staircases.at(static_cast<std::size_t>(track));
    const std::vector<double>& values = progress_.at(static_cast<std::size_t>(track)).reversals;
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    const std::size_t count = std::min(values.size(), static_cast<std::size_t>(rule.averaged));
    double sum = 0;
    for (std::size_t i = values.size() - count; i < values.size(); ++i)
        sum += values[i];
    return fromSteps(rule, sum / static_cast<double>(count));
}

std::vector<double> Staircase::reversalValues(int track) const {
    std::vector<double> values;
    for (double level : progress_.at(static_cast<std::size_t>(track)).reversals)
        values.push_back(fromSteps(staircases.at(static_cast<std::size_t>(track)), level));
    return values;
}

std::string Staircase::trackTitle() const {
    return "STAIRCASE\t";
}

std::string Staircase::trackColumns() const {
    return "REVERSAL\t";
}

std::string Staircase::estimateLines() const {
    std::ostringstream text;
    text << "STAIRCASE\tTHRESHOLD\tREVERSALS\tTRIALS\t\r\n";
    for (int t = 0; t < static_cast<int>(progress_.size()); ++t) {
        const Progress& state = progress_[static_cast<std::size_t>(t)];
        text << t + 1 << '\t' << threshold(t) << '\t' << state.reversals.size() << '\t' << state.trials
             << "\t\r\n";
    }
    return text.str();
}

} // namespace ExperimentalMethods
} // namespace Stimora
