#include "math/Interval.h"

#include <cmath>

namespace Stimora {

void Interval::setLowerOnly(TYPES type, int open, double value) {
    lowerType = type;
    lowerOpen = open;
    lowerValue = value;
    upperType = PLUS_INFINITY;
    upperOpen = 0;
    upperValue = 0.0;
}

void Interval::setUpperOnly(TYPES type, int open, double value) {
    upperType = type;
    upperOpen = open;
    upperValue = value;
    lowerType = MINUS_INFINITY;
    lowerOpen = 0;
    lowerValue = 0.0;
}

Interval& Interval::operator<(double y) {
    setUpperOnly(FINITE, 1, y);
    return *this;
}
Interval& Interval::operator<=(double y) {
    setUpperOnly(FINITE, 0, y);
    return *this;
}
Interval& Interval::operator>(double y) {
    setLowerOnly(FINITE, 1, y);
    return *this;
}
Interval& Interval::operator>=(double y) {
    setLowerOnly(FINITE, 0, y);
    return *this;
}
Interval& Interval::operator<(TYPES t) {
    setUpperOnly(t, 1, 0.0);
    return *this;
}
Interval& Interval::operator<=(TYPES t) {
    setUpperOnly(t, 0, 0.0);
    return *this;
}
Interval& Interval::operator>(TYPES t) {
    setLowerOnly(t, 1, 0.0);
    return *this;
}
Interval& Interval::operator>=(TYPES t) {
    setLowerOnly(t, 0, 0.0);
    return *this;
}

bool Interval::includes(double x) const {
    if (lowerType == UNDEFINED || upperType == UNDEFINED)
        throw upperType;
    // Written as "excluded when ..." so that a NaN, which compares false, is never excluded.
    if (lowerType != MINUS_INFINITY) {
        if (lowerOpen == 0 && x < lowerValue)
            return false;
        if (lowerOpen == 1 && x <= lowerValue)
            return false;
    }
    if (upperType == PLUS_INFINITY)
        return true;
    if (upperOpen == 0 && x > upperValue)
        return false;
    if (upperOpen == 1 && x >= upperValue)
        return false;
    return true;
}

bool Interval::isBounded() const {
    return lowerType == FINITE && upperType == FINITE;
}

namespace {

int smallestIntAbove(double bound, int open) {
    const double c = std::ceil(bound);
    return static_cast<int>(open == 1 && c == bound ? c + 1 : c);
}

int largestIntBelow(double bound, int open) {
    const double f = std::floor(bound);
    return static_cast<int>(open == 1 && f == bound ? f - 1 : f);
}

} // namespace

int Interval::lowestInt() const {
    if (lowerType != FINITE)
        throw lowerType;
    return smallestIntAbove(lowerValue, lowerOpen);
}

int Interval::highestInt() const {
    if (upperType != FINITE)
        throw upperType;
    return largestIntBelow(upperValue, upperOpen);
}

int Interval::clipLowerInt(int a) const {
    if (lowerType == UNDEFINED)
        throw lowerType;
    if (lowerType == MINUS_INFINITY || a > lowerValue)
        return a;
    return smallestIntAbove(lowerValue, lowerOpen);
}

int Interval::clipUpperInt(int a) const {
    if (upperType == UNDEFINED)
        throw upperType;
    if (upperType == PLUS_INFINITY || a < upperValue)
        return a;
    return largestIntBelow(upperValue, upperOpen);
}

Interval_acc::Interval_acc(Interval& target) : Interval(), target_(target) {
    lowerType = target.lowerType;
    lowerOpen = target.lowerOpen;
    lowerValue = target.lowerValue;
    upperType = target.upperType;
    upperOpen = target.upperOpen;
    upperValue = target.upperValue;
}

Interval& Interval_acc::operator<(double y) const {
    target_.upperType = FINITE;
    target_.upperOpen = 1;
    target_.upperValue = y;
    return target_;
}
Interval& Interval_acc::operator<=(double y) const {
    target_.upperType = FINITE;
    target_.upperOpen = 0;
    target_.upperValue = y;
    return target_;
}
Interval& Interval_acc::operator>(double y) const {
    target_.lowerType = FINITE;
    target_.lowerOpen = 1;
    target_.lowerValue = y;
    return target_;
}
Interval& Interval_acc::operator>=(double y) const {
    target_.lowerType = FINITE;
    target_.lowerOpen = 0;
    target_.lowerValue = y;
    return target_;
}
Interval& Interval_acc::operator<(TYPES t) const {
    target_.upperType = t;
    target_.upperOpen = 1;
    target_.upperValue = 0.0;
    return target_;
}
Interval& Interval_acc::operator<=(TYPES t) const {
    target_.upperType = t;
    target_.upperOpen = 0;
    target_.upperValue = 0.0;
    return target_;
}
Interval& Interval_acc::operator>(TYPES t) const {
    target_.lowerType = t;
    target_.lowerOpen = 1;
    target_.lowerValue = 0.0;
    return target_;
}
Interval& Interval_acc::operator>=(TYPES t) const {
    target_.lowerType = t;
    target_.lowerOpen = 0;
    target_.lowerValue = 0.0;
    return target_;
}

Interval_acc operator<(double x, Interval& interval) {
    interval.setLowerOnly(Interval::FINITE, 1, x);
    return Interval_acc(interval);
}
Interval_acc operator<=(double x, Interval& interval) {
    interval.setLowerOnly(Interval::FINITE, 0, x);
    return Interval_acc(interval);
}
Interval_acc operator>(double x, Interval& interval) {
    interval.setUpperOnly(Interval::FINITE, 1, x);
    return Interval_acc(interval);
}
Interval_acc operator>=(double x, Interval& interval) {
    interval.setUpperOnly(Interval::FINITE, 0, x);
    return Interval_acc(interval);
}
Interval_acc operator<(Interval::TYPES t, Interval& interval) {
    interval.setLowerOnly(t, 1, 0.0);
    return Interval_acc(interval);
}
Interval_acc operator<=(Interval::TYPES t, Interval& interval) {
    interval.setLowerOnly(t, 0, 0.0);
    return Interval_acc(interval);
}
Interval_acc operator>(Interval::TYPES t, Interval& interval) {
    interval.setUpperOnly(t, 1, 0.0);
    return Interval_acc(interval);
}
Interval_acc operator>=(Interval::TYPES t, Interval& interval) {
    interval.setUpperOnly(t, 0, 0.0);
    return Interval_acc(interval);
}

} // namespace Stimora
