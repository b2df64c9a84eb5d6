#include "display/FrameLog.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <typeinfo>

#include <sys/stat.h>
#include <unistd.h>

#include "base/Exception.h"
#include "file/Paths.h"

namespace Stimora {

void FrameLog::start(int capacity, Clock origin_) {
    if (capacity < 1)
        throw Exception(typeid(FrameLog), "ARGUMENT ERROR", "A frame log needs room for at least one flip.");
    records.assign(static_cast<std::size_t>(capacity), Record());
    count = 0;
    lost = 0;
    marks.assign(4 * static_cast<std::size_t>(capacity), Mark());
    markTotal = 0;
    marksLost = 0;
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

void FrameLog::mark(const char* kind, long long value, Clock scheduled, Clock reported) noexcept {
    if (!on)
        return;
    if (markTotal == marks.size()) {
        ++marksLost;
        return;
    }
    Mark& m = marks[markTotal++];
    m.flip = static_cast<int>(count) - 1;
    m.kind = kind;
    m.value = value;
    m.scheduled = (scheduled - origin).milliseconds();
    m.reported = (reported - origin).milliseconds();
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
    auto fail = [&](const char* what, int error) {
        throw Exception(typeid(FrameLog), "FILE ERROR",
                        std::string(what) + ": " + expanded + " (" + std::strerror(error) + ")");
    };
    // Written beside its place under a name of its own, then linked into place: a full disk
    // leaves no truncated log, and linking, unlike renaming, never replaces a file that is
    // already there, whoever wrote it.
    const std::size_t slash = expanded.rfind('/');
    std::string temporary = expanded.substr(0, slash == std::string::npos ? 0 : slash + 1) + ".frames-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        fail("Cannot create the frame log", errno);
    // mkstemp keeps the file to its owner; the log gets what any new file of the user's gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fdopen(fd, "wb"), std::fclose);
    if (!file) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        fail("Cannot create the frame log", error);
    }
    bool ok = std::fputs("index\tframes\tonset_ms\tinterval_ms\tmissed\r\n", file.get()) >= 0;
    for (std::size_t i = 0; ok && i < count; ++i) {
        const Record& r = records[i];
        ok = std::fprintf(file.get(), "%d\t%d\t%.4f\t%.4f\t%d\r\n", r.index, r.frames, r.onset, r.interval,
                          r.missed) > 0;
    }
    if (ok && markTotal > 0)
        ok = std::fputs("\r\nmark\tflip\tkind\tvalue\tscheduled_ms\treported_ms\r\n", file.get()) >= 0;
    for (std::size_t i = 0; ok && i < markTotal; ++i) {
        const Mark& m = marks[i];
        ok = std::fprintf(file.get(), "%zu\t%d\t%s\t%lld\t%.4f\t%.4f\r\n", i, m.flip, m.kind, m.value,
                          m.scheduled, m.reported) > 0;
    }
    ok = ok && std::fflush(file.get()) == 0 && fsync(fd) == 0;
    int error = errno;
    if (std::fclose(file.release()) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && link(temporary.c_str(), expanded.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        fail(error == EEXIST ? "The frame log would overwrite an existing file"
                             : "Cannot create the frame log",
             error);
    }
    unlink(temporary.c_str());
    if (!ok)
        fail("Cannot write the frame log", error);
}

} // namespace Stimora
