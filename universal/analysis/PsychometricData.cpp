#include "analysis/PsychometricData.h"

#include "analysis/ResultTable.h"
#include "base/Exception.h"

#include <map>
#include <typeinfo>

namespace Stimora {
namespace Analysis {

std::vector<PsychometricData::Condition> PsychometricData::group(const ResultTable& table,
                                                                 const std::string& intensity,
                                                                 const std::string& response,
                                                                 const std::vector<std::string>& by) {
    const std::size_t x = table.column(intensity);
    const std::size_t r = table.column(response);
    std::vector<std::size_t> keys;
    for (const std::string& label : by)
        keys.push_back(table.column(label));

    // Conditions in order of first appearance; levels sorted by intensity.
    std::vector<std::string> order;
    std::map<std::string, std::map<double, Level>> conditions;
    for (const ResultTable::Row& row : table.trials()) {
        std::string name;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            table.number(row, keys[k]); // a grouping value must be a number too
            name += (k ? ", " : "") + by[k] + "=" + row.fields[keys[k]];
        }
        if (name.empty())
            name = "all";
        const double value = table.number(row, x);
        const double answer = table.number(row, r);
        if (answer != 0 && answer != 1)
            throw Exception(typeid(PsychometricData), "FORMAT ERROR",
                            ResultTable::where(table.path(), row.line,
                                               "the response \"" + row.fields[r] + "\" in column \"" +
                                                   response + "\" is neither 0 (wrong) nor 1 (correct)."));
        if (!conditions.count(name))
            order.push_back(name);
        Level& level = conditions[name][value];
        level.intensity = value;
        ++level.trials;
        level.correct += static_cast<int>(answer);
    }
    std::vector<Condition> result;
    for (const std::string& name : order) {
        Condition condition{name, {}};
        for (const auto& entry : conditions[name])
            condition.levels.push_back(entry.second);
        result.push_back(condition);
    }
    return result;
}

} // namespace Analysis
} // namespace Stimora
