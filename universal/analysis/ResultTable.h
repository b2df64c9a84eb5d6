#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// A result file as the experiment procedures write it (Constant, Staircase, Quest), or the
/// journal of one that ended early: the experiment's name, note and fixed variables, the
/// trial table, and for the adaptive procedures the tracks' final estimates.
class ResultTable {
public:
    /// Which procedure wrote the file.
    enum class Procedure { constant, staircase, quest };

    /// One table line as text fields, with the line number it came from (1-based).
    struct Row {
        /// Line number in the file, for messages.
        int line = 0;
        /// The line's fields, without the TAB after each.
        std::vector<std::string> fields;
    };

    /// Reads path; raises Exception "FORMAT ERROR" naming the file and line of the first
    /// malformed line (a missing header, a trial line of another width, no trials).
    static ResultTable read(const std::string& path);
    /// The same from text already in memory; path only names it in messages.
    static ResultTable parse(const std::string& text, const std::string& path);

    /// The file's name as given.
    const std::string& path() const { return path_; }
    /// True for a ".partial" journal: trials only, no estimates.
    bool partial() const { return partial_; }
    /// Which procedure wrote the file (from the column header).
    Procedure procedure() const { return procedure_; }
    /// Line 1: the experiment's name.
    const std::string& experiment() const { return experiment_; }
    /// Line 2: the experiment's note.
    const std::string& note() const { return note_; }
    /// Fixed variables as label and value text.
    const std::map<std::string, std::string>& fixed() const { return fixed_; }
    /// Column titles of the trial table ("TRIAL#", ...).
    const std::vector<std::string>& columns() const { return columns_; }
    /// Trial lines in file order.
    const std::vector<Row>& trials() const { return trials_; }
    /// Column titles of the estimates ("STAIRCASE", "THRESHOLD", ...); empty for Constant.
    const std::vector<std::string>& estimateColumns() const { return estimateColumns_; }
    /// Estimate lines, one per track.
    const std::vector<Row>& estimates() const { return estimates_; }

    /// Index of the trial column titled label; raises Exception "FORMAT ERROR" naming the
    /// file and its header line when there is none.
    std::size_t column(const std::string& label) const;
    /// True where a trial column is titled label.
    bool hasColumn(const std::string& label) const;
    /// The field of row in column as a number; raises Exception "FORMAT ERROR" naming the
    /// file and line when it is not a plain finite decimal one.
    double number(const Row& row, std::size_t column) const;
    /// The intensity column's title: the one after the track column for the adaptive
    /// procedures, the first after "TRIAL#" for Constant.
    std::string intensityLabel() const;
    /// The response column's title: the one after the intensity for the adaptive
    /// procedures, "Correct" for Constant.
    std::string responseLabel() const;

    /// Line of the fixed variables, for messages about them.
    static constexpr int fixedLine = 3;
    /// True where text is a plain finite decimal number (no blanks, hexadecimal, inf or nan),
    /// which it puts in value.
    static bool decimal(const std::string& text, double& value);
    /// "file:line: what", the form of every message about a file's content.
    static std::string where(const std::string& path, int line, const std::string& what);

private:
    std::string path_;
    bool partial_ = false;
    Procedure procedure_ = Procedure::constant;
    std::string experiment_;
    std::string note_;
    std::map<std::string, std::string> fixed_;
    std::vector<std::string> columns_;
    std::vector<Row> trials_;
    std::vector<std::string> estimateColumns_;
    std::vector<Row> estimates_;
    int headerLine_ = 4;
};

} // namespace Analysis
} // namespace Stimora
