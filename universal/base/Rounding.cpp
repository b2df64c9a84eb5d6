#include "base/Rounding.h"

#include <climits>
#include <cmath>

namespace Stimora {

int truncateToInt(double x) {
    if (std::isnan(x))
        return 0;
    // Converting an out-of-range double to int is undefined; saturate instead.
    if (x >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (x <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(x);
}

int roundToInt(double x) {
    if (std::isnan(x) || x >= static_cast<double>(INT_MAX) || x <= static_cast<double>(INT_MIN))
        return truncateToInt(x);
    const double p = std::trunc(x);
    const double f = x - p; // same sign as x, so never 0.5 or more below zero
    const int whole = static_cast<int>(p);
    if (f < 0.5 || (f == 0.5 && whole % 2 == 0))
        return whole;
    return whole + 1;
}

} // namespace Stimora
