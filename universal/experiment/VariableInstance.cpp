#include "experiment/VariableInstance.h"

#include "base/Rounding.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <type_traits>

namespace Stimora {
namespace ExperimentalMethods {

namespace {

template <class T> T& checkedAt(std::vector<T>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return list[static_cast<std::size_t>(index)];
}

template <class T> const T& checkedAt(const std::vector<T>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return list[static_cast<std::size_t>(index)];
}

} // namespace

template <class T> VariableInstance<T>::VariableInstance(T& value) : target(&value), initialValue(value) {}

template <class T> std::ostream& VariableInstance<T>::print(std::ostream& stream) const {
    return stream << *target;
}

template <class T> std::string VariableInstance<T>::toText() const {
    std::stringstream text(std::ios::in | std::ios::out);
    text << *target;
    return text.str();
}

template <class T> std::ostream& VariableInstance<T>::printRecorded(int trial, std::ostream& stream) const {
    return stream << checkedAt(record, trial);
}

template <class T> void VariableInstance<T>::setByRatio(double r) {
    r = std::isnan(r) ? 0.0 : std::min(1.0, std::max(0.0, r));
    const int n = levelCount();
    if (n >= 2) {
        // The top of the ratio maps to the last level rather than one past it.
        setLevel(std::min(roundToInt(n * r), n - 1));
        return;
    }
    if (!range_.isBounded())
        return;
    if constexpr (std::is_same<T, int>::value) {
        const int lowest = range_.lowestInt();
        const int highest = range_.highestInt();
        *target = roundToInt(lowest + (static_cast<double>(highest) - lowest) * r);
    } else {
        *target = range_.lowerValue + (range_.upperValue - range_.lowerValue) * r;
    }
}

template <class T> void VariableInstance<T>::setLevel(int index) {
    *target = checkedAt(levels, index);
    // The arrow keys step on from the level now shown (a demo starts at the middle level),
    // not from wherever the last step left the index.
    levelIndex = index;
}

template <class T> bool VariableInstance<T>::tryStep(T s, int direction) {
    if constexpr (std::is_same<T, int>::value) {
        // A sum outside the int range cannot be a value of the variable.
        const long long next = static_cast<long long>(*target) + direction * static_cast<long long>(s);
        if (next < INT_MIN || next > INT_MAX)
            return false;
        if (!range_.includes(static_cast<double>(next)))
            return false;
        *target = static_cast<int>(next);
    } else {
        const T next = direction > 0 ? *target + s : *target - s;
        if (!range_.includes(next))
            return false;
        *target = next;
    }
    return true;
}

template <class T> void VariableInstance<T>::increment(int stepIndex) {
    const int n = levelCount();
    if (n >= 2) {
        levelIndex = levelIndex + 1 >= n ? 0 : levelIndex + 1;
        setLevel(levelIndex);
        return;
    }
    if (stepIndex < 0 || stepIndex >= stepCount())
        return;
    tryStep(steps[static_cast<std::size_t>(stepIndex)], +1);
}

template <class T> void VariableInstance<T>::decrement(int stepIndex) {
    const int n = levelCount();
    if (n >= 2) {
        levelIndex = levelIndex - 1 < 0 ? n - 1 : levelIndex - 1;
        setLevel(levelIndex);
        return;
    }
    if (stepIndex < 0 || stepIndex >= stepCount())
        return;
    tryStep(steps[static_cast<std::size_t>(stepIndex)], -1);
}

template <class T> double VariableInstance<T>::ratio() const {
    if (!range_.isBounded())
        return 0.0;
    if constexpr (std::is_same<T, int>::value) {
        const int lowest = range_.lowestInt();
        const int highest = range_.highestInt();
        return (static_cast<double>(*target) - lowest) / (static_cast<double>(highest) - lowest);
    } else {
        return (*target - range_.lowerValue) / (range_.upperValue - range_.lowerValue);
    }
}

template <class T> Interval VariableInstance<T>::getRange() const {
    return range_;
}

template <class T> int VariableInstance<T>::levelCount() const {
    return static_cast<int>(levels.size());
}

template <class T> int VariableInstance<T>::stepCount() const {
    return static_cast<int>(steps.size());
}

template <class T> void VariableInstance<T>::prepareRecord(int n) {
    record.clear();
    record.assign(static_cast<std::size_t>(std::max(0, n)), T(0));
}

template <class T> void VariableInstance<T>::recordValue(int trial) {
    checkedAt(record, trial) = *target;
}

template <class T> void VariableInstance<T>::recordLevel(int trial, int level) {
    const T value = checkedAt(levels, level);
    checkedAt(record, trial) = value;
}

template <class T> VariableInstance<T>& VariableInstance<T>::range(const Interval& range) {
    range_ = range;
    return *this;
}

template <class T> VariableInstance<T>& VariableInstance<T>::step(T size) {
    steps.push_back(size);
    return *this;
}

template <class T> VariableInstance<T>& VariableInstance<T>::level(T value) {
    levels.push_back(value);
    return *this;
}

template class VariableInstance<int>;
template class VariableInstance<double>;

} // namespace ExperimentalMethods
} // namespace Stimora
