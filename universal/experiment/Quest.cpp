#include "experiment/Quest.h"

#include "base/Exception.h"

#include <algorithm>
#include <sstream>
#include <typeinfo>

namespace Stimora {
namespace ExperimentalMethods {

int Quest::trackCount() const {
    return static_cast<int>(quests.size());
}

void Quest::startTracks() {
    if (quests.empty())
        throw Exception(typeid(*this), "ARGUMENT ERROR", "No QUEST was declared.");
    posteriors_.clear();
    for (std::size_t t = 0; t < quests.size(); ++t) {
        const Track& track = quests[t];
        std::string problem;
        if (track.trials < 1)
            problem = "the number of trials must be at least 1.";
        else if (!(track.minimum < track.maximum))
            problem = "the minimum is not below the maximum.";
        else if (!(track.quantileOrder >= 0 && track.quantileOrder <= 1))
            problem = "the quantile order must lie in [0, 1].";
        try {
            if (problem.empty())
                posteriors_.emplace_back(track.model);
        } catch (const Exception& error) {
            problem = error.message();
        }
        if (!problem.empty())
            throw Exception(typeid(*this), "ARGUMENT ERROR",
                            "QUEST " + std::to_string(t + 1) + ": " + problem);
    }
}

int Quest::trialLimit(int track) const {
    return quests[static_cast<std::size_t>(track)].trials;
}

bool Quest::finished(int track) const {
    return posteriors_[static_cast<std::size_t>(track)].trials() >=
           quests[static_cast<std::size_t>(track)].trials;
}

double Quest::nextIntensity(int track) {
    const Track& settings = quests[static_cast<std::size_t>(track)];
    const QuestPosterior& posterior = posteriors_[static_cast<std::size_t>(track)];
    double placed = posterior.mean();
    if (settings.placement == Placement::mode)
        placed = posterior.mode();
    else if (settings.placement == Placement::quantile)
        placed = posterior.quantile(settings.quantileOrder);
    return std::max(settings.minimum, std::min(settings.maximum, placed));
}

std::string Quest::respond(int track, double intensity, int response) {
    QuestPosterior& posterior = posteriors_[static_cast<std::size_t>(track)];
    posterior.update(intensity, response);
    std::ostringstream text;
    text << posterior.mean() << '\t' << posterior.sd() << '\t';
    return text.str();
}

std::string Quest::trackTitle() const {
    return "QUEST\t";
}

std::string Quest::trackColumns() const {
    return "MEAN\tSD\t";
}

std::string Quest::estimateLines() const {
    std::ostringstream text;
    text << "QUEST\tMEAN\tSD\tTRIALS\t\r\n";
    for (std::size_t t = 0; t < posteriors_.size(); ++t)
        text << t + 1 << '\t' << posteriors_[t].mean() << '\t' << posteriors_[t].sd() << '\t'
             << posteriors_[t].trials() << "\t\r\n";
    return text.str();
}

} // namespace ExperimentalMethods
} // namespace Stimora
