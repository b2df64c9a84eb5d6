#pragma once

namespace Stimora {

/// The framework's real-to-integer conversion. Values of 0 and above go to the nearest
/// integer, an exact half to the even neighbour (2.5 -> 2, 3.5 -> 4); negative values are
/// truncated toward zero (-2.7 -> -2, -0.5 -> 0). Values beyond the int range saturate;
/// NaN gives 0.
int roundToInt(double x);

/// Truncation toward zero that stays defined for every double: values beyond the int range
/// saturate, NaN gives 0.
int truncateToInt(double x);

} // namespace Stimora
