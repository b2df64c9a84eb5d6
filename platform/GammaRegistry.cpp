#include "GammaRegistry.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "CrtcGamma.h"
#include "GammaGuardian.h"

namespace Stimora {

namespace {

struct Record {
    std::unique_ptr<CrtcGamma> output;
    std::vector<std::uint16_t> desktop;
    std::vector<std::pair<const void*, std::vector<std::uint16_t>>> loaded; // oldest first
};

// A deque: a record's address stays put while others are added.
std::deque<Record>& records() {
    static std::deque<Record> all;
    return all;
}

Record* find(unsigned long crtc) {
    for (Record& record : records())
        if (record.output->id() == crtc)
            return &record;
    return nullptr;
}

void forget(Record& record, const void* owner) {
    auto& loaded = record.loaded;
    loaded.erase(
        std::remove_if(loaded.begin(), loaded.end(), [owner](const auto& l) { return l.first == owner; }),
        loaded.end());
}

// Canvases on outputs whose desktop ramps differ cannot look the same everywhere before the
// load, and the scientist should know the outputs were not alike.
void warnIfUnlike(const std::vector<Record*>& shown) {
    std::uint16_t first[3 * 256], other[3 * 256];
    if (shown.size() < 2 || !shown[0]->output->read(first))
        return;
    for (std::size_t i = 1; i < shown.size(); ++i)
        if (shown[i]->output->read(other) && !std::equal(first, first + 3 * 256, other)) {
            std::fprintf(stderr,
                         "Stimora: the canvas spans %zu display outputs whose ramps differ; each now "
                         "gets the canvas's ramp.\n",
                         shown.size());
            return;
        }
}

} // namespace

GammaRegistry::Result GammaRegistry::load(const void* owner, SDL_Window* window,
                                          const std::uint16_t ramp[3 * 256], std::uint16_t before[3 * 256]) {
    std::vector<std::unique_ptr<CrtcGamma>> outputs = CrtcGamma::forWindow(window);
    if (outputs.empty())
        return noOutput;
    if (before != nullptr && !outputs.front()->read(before))
        return unreadable;
    std::vector<Record*> shown;
    for (auto& output : outputs) {
        Record* record = find(output->id());
        if (record == nullptr) {
            Record fresh;
            if (!output->fetch(fresh.desktop))
                return unreadable;
            GammaGuardian::hold(output->displayName(), output->id(), fresh.desktop);
            fresh.output = std::move(output);
            records().push_back(std::move(fresh));
            record = &records().back();
        }
        shown.push_back(record);
    }
    warnIfUnlike(shown);
    bool all = true;
    for (Record* record : shown) {
        forget(*record, owner);
        record->loaded.emplace_back(owner, record->output->expand(ramp));
        all = record->output->load(record->loaded.back().second) && all;
    }
    return all ? loaded : noOutput;
}

bool GammaRegistry::read(SDL_Window* window, std::uint16_t ramp[3 * 256]) {
    const auto outputs = CrtcGamma::forWindow(window);
    return !outputs.empty() && outputs.front()->read(ramp);
}

void GammaRegistry::release(const void* owner) {
    auto& all = records();
    for (auto record = all.begin(); record != all.end();) {
        const std::size_t count = record->loaded.size();
        forget(*record, owner);
        if (record->loaded.size() == count) {
            ++record;
        } else if (!record->loaded.empty()) {
            record->output->load(record->loaded.back().second);
            ++record;
        } else {
            record->output->load(record->desktop);
            GammaGuardian::drop(record->output->id());
            record = all.erase(record);
        }
    }
}

} // namespace Stimora
