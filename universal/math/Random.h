#pragma once

// The framework's one source of random numbers: a process-wide dSFMT generator (Mersenne
// exponent 19937) whose stored doubles in [1, 2) are read strictly in order, 382 per
// regeneration of the state. A single draw consumes one stored value; the array and matrix
// forms one per element.

#include "base/Rounding.h"

#include <cstdint>

namespace Stimora {

class Matrix;

/// Start-up seeding: srand(calendar time), then the dSFMT state from a second read of the
/// calendar time. Called once by startUp().
void initializeRandom();
/// Seeds both the runtime's rand() and the dSFMT state with value, for a reproducible order.
void seed(std::uint32_t value);

/// A double in [0, 1).
double random();
/// random() * max: in [0, max) for positive max, (max, 0] for negative max.
double random(double max);
/// random() * max truncated toward zero: 0 to max - 1 for positive max.
int random(int max);
/// min + (max - min) * random(), in [min, max). Raises Exception("min exceeds max in
/// random(min, max)") without drawing when max < min; min == max gives min.
double random(double min, double max);
/// The next stored value itself, in [1, 2).
double randomRaw();

/// Fills count doubles in [0, 1), in index order.
void random(double* values, int count);
/// Fills count doubles as random(max) does.
void random(double* values, int count, double max);
/// Fills count doubles as random(min, max) does; checks min and max once, before filling.
void random(double* values, int count, double min, double max);

/// Fills every element of the matrix, in storage order, with a double in [0, 1). A view
/// fills the region it selects, row after row; a matrix without storage is left as it is.
void random(Matrix& values);
/// Fills every element as random(max) does.
void random(Matrix& values, double max);
/// Fills every element as random(min, max) does; checks min and max once, before filling.
void random(Matrix& values, double min, double max);

/// Fills count entries with a permutation of 0 .. count - 1 drawn with the runtime's rand():
/// each i goes to the first free entry at or after rand() % count (wrapping). Not uniform.
void shuffledIndices(std::int32_t* values, int count);

/// Read position in the dSFMT state, 0 to 382; 382 right after seeding, so that the next
/// draw regenerates the whole state. For tests and diagnostics.
int randomStateIndex();

} // namespace Stimora
