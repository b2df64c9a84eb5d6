#include "analysis/ResultTable.h"

#include "base/Exception.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <typeinfo>

namespace Stimora {
namespace Analysis {

namespace {

// Fields of one line; every field is followed by a TAB, so a trailing empty field is dropped.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            if (start < line.size())
                fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    return fields;
}

bool isInteger(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

[[noreturn]] void refuse(const std::string& path, int line, const std::string& what) {
    throw Exception(typeid(ResultTable), "FORMAT ERROR", ResultTable::where(path, line, what));
}

} // namespace

std::string ResultTable::where(const std::string& path, int line, const std::string& what) {
    return path + ":" + std::to_string(line) + ": " + what;
}

ResultTable ResultTable::read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Exception(typeid(ResultTable), "FILE ERROR", "Cannot open \"" + path + "\".");
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), path);
}

ResultTable ResultTable::parse(const std::string& text, const std::string& path) {
    ResultTable table;
    table.path_ = path;
    const std::string suffix = ".partial";
    table.partial_ =
        path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;

    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (lines.size() < 4)
        refuse(path, static_cast<int>(lines.size()) + 1,
               "the file ends before its column header (name, note, fixed variables, then the columns).");
    table.experiment_ = lines[0];
    table.note_ = lines[1];
    const std::vector<std::string> fixed = split(lines[2]);
    for (std::size_t i = 0; i + 1 < fixed.size(); i += 2) {
        std::string value = fixed[i + 1];
        if (!value.empty() && value.back() == ';')
            value.pop_back();
        table.fixed_[fixed[i]] = value;
    }

    table.columns_ = split(lines[3]);
    if (table.columns_.empty() || table.columns_[0] != "TRIAL#")
        refuse(path, 4, "the column header does not begin with TRIAL#: this is no result file.");
    if (table.columns_.size() > 1 && table.columns_[1] == "STAIRCASE")
        table.procedure_ = Procedure::staircase;
    else if (table.columns_.size() > 1 && table.columns_[1] == "QUEST")
        table.procedure_ = Procedure::quest;
    const std::size_t needed = table.procedure_ == Procedure::constant ? 2 : 4;
    if (table.columns_.size() < needed)
        refuse(path, 4, "the column header has too few columns.");

    std::size_t i = 4;
    for (; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (lines[i].empty())
            continue;
        std::vector<std::string> fields = split(lines[i]);
        if (!isInteger(fields[0]))
            break;
        if (fields.size() != table.columns_.size())
            refuse(path, number,
                   "a trial line has " + std::to_string(fields.size()) + " fields; the header has " +
                       std::to_string(table.columns_.size()) + ".");
        table.trials_.push_back(Row{number, std::move(fields)});
    }
    if (i < lines.size()) {
        table.estimateColumns_ = split(lines[i]);
        if (table.procedure_ == Procedure::constant || table.estimateColumns_.empty() ||
            table.estimateColumns_[0] != table.columns_[1])
            refuse(path, static_cast<int>(i) + 1,
                   "\"" + lines[i] + "\" is neither a trial nor an estimate header.");
        for (++i; i < lines.size(); ++i) {
            if (lines[i].empty())
                continue;
            std::vector<std::string> fields = split(lines[i]);
            if (fields.size() != table.estimateColumns_.size() || !isInteger(fields[0]))
                refuse(path, static_cast<int>(i) + 1, "a malformed estimate line.");
            table.estimates_.push_back(Row{static_cast<int>(i) + 1, std::move(fields)});
        }
    }
    if (table.trials_.empty())
        refuse(path, 5, "the file holds no trials.");
    return table;
}

std::size_t ResultTable::column(const std::string& label) const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c] == label)
            return c;
    refuse(path_, headerLine_, "there is no column \"" + label + "\".");
}

bool ResultTable::hasColumn(const std::string& label) const {
    for (const std::string& title : columns_)
        if (title == label)
            return true;
    return false;
}

bool ResultTable::decimal(const std::string& text, double& value) {
    // Digits with an optional sign, point and exponent: strtod alone would also take "inf",
    // "nan", hexadecimal and leading blanks.
    std::size_t i = 0, digits = 0;
    const auto run = [&]() {
        std::size_t n = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            ++n;
        return n;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    digits += run();
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += run();
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (run() == 0)
            return false;
    }
    if (i != text.size())
        return false;
    errno = 0;
    value = std::strtod(text.c_str(), nullptr);
    return errno != ERANGE && std::isfinite(value);
}

double ResultTable::number(const Row& row, std::size_t column) const {
    const std::string& field = row.fields.at(column);
    double value = 0;
    if (!decimal(field, value))
        refuse(path_, row.line,
               "\"" + field + "\" in column \"" + columns_.at(column) + "\" is not a number.");
    return value;
}

std::string ResultTable::intensityLabel() const {
    return procedure_ == Procedure::constant ? columns_.at(1) : columns_.at(2);
}

std::string ResultTable::responseLabel() const {
    return procedure_ == Procedure::constant ? std::string("Correct") : columns_.at(3);
}

} // namespace Analysis
} // namespace Stimora
