#include "analysis/FrameTimes.h"

#include "analysis/ResultTable.h"
#include "base/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <typeinfo>

namespace Stimora {
namespace Analysis {

namespace {

const char* const header = "index\tframes\tonset_ms\tinterval_ms\tmissed";

[[noreturn]] void refuse(const std::string& path, int line, const std::string& what) {
    throw Exception(typeid(FrameTimes), "FORMAT ERROR", ResultTable::where(path, line, what));
}

double field(const std::string& text, const std::string& path, int line, const char* name) {
    double value = 0;
    if (!ResultTable::decimal(text, value))
        refuse(path, line, std::string("\"") + text + "\" in column " + name + " is not a number.");
    return value;
}

} // namespace

bool FrameTimes::looksLikeFrameLog(const std::string& text) {
    return text.compare(0, std::string(header).size(), header) == 0;
}

FrameTimes FrameTimes::read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Exception(typeid(FrameTimes), "FILE ERROR", "Cannot open \"" + path + "\".");
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), path);
}

FrameTimes FrameTimes::parse(const std::string& text, const std::string& path) {
    FrameTimes log;
    log.path_ = path;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    static const char* const names[] = {"index", "frames", "onset_ms", "interval_ms", "missed"};
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1) {
            if (line != header)
                refuse(path, 1, "the header is not \"" + std::string(header) + "\": this is no frame log.");
            continue;
        }
        if (line.empty())
            continue;
        // The devices' marks follow the flips as a table of their own.
        if (line.compare(0, 10, "mark\tflip\t") == 0)
            break;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() != 5)
            refuse(path, number, "a flip line has " + std::to_string(fields.size()) + " fields, not 5.");
        double values[5];
        for (int c = 0; c < 5; ++c)
            values[c] = field(fields[static_cast<std::size_t>(c)], path, number, names[c]);
        log.flips_.push_back(Flip{static_cast<int>(values[0]), static_cast<int>(values[1]), values[2],
                                  values[3], static_cast<int>(values[4])});
    }
    if (number == 0)
        refuse(path, 1, "the file is empty.");
    if (log.flips_.size() < 2)
        refuse(path, number + 1, "the log holds fewer than two flips.");
    return log;
}

double FrameTimes::nominalPeriod() const {
    std::vector<double> perRefresh;
    for (std::size_t i = 1; i < flips_.size(); ++i) {
        const int refreshes = std::max(1, flips_[i - 1].frames) + std::max(0, flips_[i].missed);
        perRefresh.push_back(flips_[i].interval / refreshes);
    }
    if (perRefresh.empty())
        return 0.0;
    const std::size_t middle = perRefresh.size() / 2;
    std::nth_element(perRefresh.begin(), perRefresh.begin() + static_cast<std::ptrdiff_t>(middle),
                     perRefresh.end());
    return perRefresh[middle];
}

FrameTimes::Summary FrameTimes::perFrame() const {
    Summary summary;
    const std::size_t count = flips_.size() - 1;
    for (std::size_t i = 1; i < flips_.size(); ++i) {
        const double value = flips_[i].interval / std::max(1, flips_[i - 1].frames);
        summary.mean += value / static_cast<double>(count);
        summary.maximum = std::max(summary.maximum, value);
    }
    for (std::size_t i = 1; i < flips_.size(); ++i) {
        const double value = flips_[i].interval / std::max(1, flips_[i - 1].frames);
        summary.sd += (value - summary.mean) * (value - summary.mean);
    }
    summary.sd = count > 1 ? std::sqrt(summary.sd / static_cast<double>(count - 1)) : 0.0;
    return summary;
}

int FrameTimes::drops() const {
    int sum = 0;
    for (const Flip& flip : flips_)
        sum += flip.missed;
    return sum;
}

} // namespace Analysis
} // namespace Stimora
