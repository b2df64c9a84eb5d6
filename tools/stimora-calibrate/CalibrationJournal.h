#pragma once

#include <string>
#include <vector>

// The readings of a calibration in progress, one line each, on disk as soon as they are
// taken (flushed and synced), so that an interrupted run loses none and a new run with the
// same settings resumes after the last one.
class CalibrationJournal {
public:
    /// Opens the journal at path for a run described by settings. An existing journal of the
    /// same settings is resumed; one of other settings is refused (std::runtime_error) unless
    /// restart, which starts afresh, as does a missing journal.
    CalibrationJournal(const std::string& path, const std::string& settings, bool restart);
    ~CalibrationJournal();
    CalibrationJournal(const CalibrationJournal&) = delete;
    CalibrationJournal& operator=(const CalibrationJournal&) = delete;

    /// The readings kept so far, in cd/m², in the order taken.
    const std::vector<double>& readings() const { return kept; }
    /// Records reading number readings().size() + 1, described by what.
    void append(const std::string& what, double luminance);
    /// Deletes the journal: the calibration it served is complete.
    void finish();
    /// Where it is.
    const std::string& path() const { return file; }

private:
    std::string file;
    int fd = -1;
    std::vector<double> kept;
};
