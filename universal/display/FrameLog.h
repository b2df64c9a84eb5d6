#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "devices/Clock.h"

namespace Stimora {

/// One record per flip while a canvas's frame log is on: what was asked, when the frame
/// appeared and how long the frame before it stayed. A buffer allocated once at start, so
/// recording during the frames allocates nothing.
class FrameLog {
public:
    /// One flip.
    struct Record {
        /// 0 for the first flip after the log started.
        int index = 0;
        /// Refreshes the new frame was asked to stay (the flip's count).
        int frames = 0;
        /// Onset estimate (the swap's return) in ms since the log started.
        double onset = 0.0;
        /// ms since the previous flip's onset.
        double interval = 0.0;
        /// Refreshes the previous frame stayed beyond the hold it was given (0 on time).
        int missed = 0;
    };

    /// Something a device did at a flip: a sound scheduled for the frame's onset, a trigger
    /// code written as it appeared.
    struct Mark {
        /// Index of the flip record it belongs to (-1 when it came before the first flip).
        int flip = -1;
        /// What made it (a static text such as "sound" or "trigger").
        const char* kind = "";
        /// The device's value: a trigger code, a sound's number.
        long long value = 0;
        /// When it was meant to happen, in ms since the log started.
        double scheduled = 0.0;
        /// When the device reports it happened, in ms since the log started.
        double reported = 0.0;
    };

    /// Summary of the records.
    struct Summary {
        /// Records kept (flips after the log was full are not among them).
        int flips = 0;
        /// Refreshes asked for: the records' frames summed.
        int frames = 0;
        /// Refreshes missed: the records' positive missed counts summed.
        int drops = 0;
        /// Records that missed at least one refresh.
        int flipsWithDrops = 0;
        /// Mean of the records' intervals in ms (0 without records).
        double meanInterval = 0.0;
        /// Sample standard deviation of the intervals in ms (0 with fewer than two records).
        double sdInterval = 0.0;
        /// Longest interval in ms (0 without records).
        double maxInterval = 0.0;
    };

    /// Starts a new log of at most capacity records (at least 1), timed from origin.
    /// Allocates here, never while recording.
    void start(int capacity, Clock origin);
    /// Stops recording; the records stay until the next start.
    void stop() { on = false; }
    /// True while flips are recorded.
    bool isOn() const { return on; }
    /// Appends a record while on; a full log counts the flips it could not keep.
    void record(int frames, Clock onset, double interval, int missed) noexcept;
    /// Adds a mark to the latest flip record while on (kind must outlive the log: a literal).
    /// The marks' buffer holds four per flip record; a full one counts the marks it could
    /// not keep.
    void mark(const char* kind, long long value, Clock scheduled, Clock reported) noexcept;
    /// Marks kept so far.
    std::size_t markCount() const { return markTotal; }
    /// Mark i (0 <= i < markCount()).
    const Mark& markAt(std::size_t i) const { return marks[i]; }
    /// Marks that came after the marks' buffer was full.
    int markOverflow() const { return marksLost; }
    /// Records kept so far.
    std::size_t size() const { return count; }
    /// Record i (0 <= i < size()).
    const Record& operator[](std::size_t i) const { return records[i]; }
    /// Flips that came after the log was full.
    int overflow() const { return lost; }
    /// Frames, drops and interval statistics of the records.
    Summary summarize() const;
    /// Writes the records as tab-separated text with a header line (CR LF line ends) to the
    /// path after token expansion. Marks follow the flips after an empty line, as a second
    /// table with a header of its own. Refuses an existing file, and any write error, with an
    /// Exception that names the path.
    void save(const std::string& path) const;

private:
    std::vector<Record> records;
    std::size_t count = 0;
    int lost = 0;
    std::vector<Mark> marks;
    std::size_t markTotal = 0;
    int marksLost = 0;
    bool on = false;
    Clock origin;
};

} // namespace Stimora
