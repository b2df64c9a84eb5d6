#include "display/FrameLog.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "application/Exception.h"
#include "file/Paths.h"

namespace Stimora {

void FrameLog::start(int capacity, Clock origin_) {
    if (capacity < 1)
        throw Exception(typeid(FrameLog), "ARGUMENT ERROR", "A frame log needs room for at least one flip.");
    records.assign(static_cast<std::size_t>(capacity), Record());
    count = 0;
    lost = 0;
    origin = origin_;
    on = true;
}

void FrameLog::record(int frames, Clock onset, double interval, int missed) noexcept {
    if (!on)
        return;
    if (count == records.size()) {
        ++lost;
        return;
    }
    Record& r = records[count];
    r.index = static_cast<int>(count);
    r.frames = frames;
    r.onset = (onset - origin).milliseconds();
    r.interval = interval;
    r.missed = missed;
    ++count;
}

FrameLog::Summary FrameLog::summarize() const {
    Summary s;
    s.flips = static_cast<int>(count);
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const Record& r = records[i];
        s.frames += r.frames;
        if (r.missed > 0) {
            s.drops += r.missed;
            ++s.flipsWithDrops;
        }
        sum += r.interval;
        s.maxInterval = i == 0 ? r.interval : std::fmax(s.maxInterval, r.interval);
    }
    if (count > 0) {
        s.meanInterval = sum / static_cast<double>(count);
        double squares = 0.0;
        for (std::size_t i = 0; i < count; ++i)
            squares += (records[i].interval - s.meanInterval) * (records[i].interval - s.meanInterval);
        s.sdInterval = count > 1 ? std::sqrt(squares / static_cast<double>(count - 1)) : 0.0;
    }
    return s;
}

void FrameLog::save(const std::string& path) const {
    const std::string expanded = expandPath(path);
    auto fail = [&](const char* what) {
        throw Exception(typeid(FrameLog), "FILE ERROR", std::string(what) + ": " + expanded);
    };
    // "x": a log never replaces a file that is already there, whoever wrote it.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(expanded.c_str(), "wbx"), std::fclose);
    if (!file)
        fail(errno == EEXIST ? "The frame log would overwrite an existing file"
                             : "Cannot create the frame log");
    bool ok = std::fputs("index\tframes\tonset_ms\tinterval_ms\tmissed\r\n", file.get()) >= 0;
    for (std::size_t i = 0; ok && i < count; ++i) {
        const Record& r = records[i];
        ok = std::fprintf(file.get(), "%d\t%d\t%.4f\t%.4f\t%d\r\n", r.index, r.frames, r.onset, r.interval,
                          r.missed) > 0;
    }
    if (!ok || std::fclose(file.release()) != 0)
        fail("Cannot write the frame log");
}

} // namespace Stimora
