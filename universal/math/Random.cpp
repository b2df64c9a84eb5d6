#include "math/Random.h"

#include "Platform.h"
#include "base/Exception.h"
#include "math/Matrix.h"
#include "math/MatrixRegion.h"

#include <dSFMT.h>

#include <cstddef>
#include <cstdlib>

namespace Stimora {

namespace {

// The installed library is built for SSE2 and reads the state with aligned 128-bit loads,
// while its header, included without SSE2, only asks for 8-byte alignment.
struct alignas(16) AlignedState {
    dsfmt_t state;
};
static_assert(alignof(AlignedState) % 16 == 0 && offsetof(AlignedState, state) == 0,
              "the dSFMT state must lie on a 16-byte boundary");

// The process-wide state, seeded from the calendar time on first use so that a draw made
// before start-up still reads a valid state; startUp() seeds it again.
dsfmt_t& generator() {
    static dsfmt_t* state = [] {
        static AlignedState storage;
        dsfmt_init_gen_rand(&storage.state, static_cast<std::uint32_t>(platformCalendarTime()));
        return &storage.state;
    }();
    return *state;
}

void checkMinMax(double min, double max) {
    if (max - min < 0)
        throw Exception("min exceeds max in random(min, max)");
}

// Every element of a matrix, or of the region a view selects, row after row. A matrix
// without storage has no element to fill.
template <class Draw> void fillElements(Matrix& values, Draw draw) {
    if (!values.hasOwnStorage() || !values.isAllocated() || values.rows() <= 0 || values.cols() <= 0)
        return;
    const MatrixRegion region = MatrixRegion::of(values);
    for (int i = 0; i < region.rows; ++i) {
        double* row = region.row(i);
        for (int j = 0; j < region.cols; ++j)
            row[j] = draw();
    }
}

} // namespace

void initializeRandom() {
    std::srand(static_cast<unsigned>(platformCalendarTime()));
    dsfmt_init_gen_rand(&generator(), static_cast<std::uint32_t>(platformCalendarTime()));
}

void seed(std::uint32_t value) {
    std::srand(value);
    dsfmt_init_gen_rand(&generator(), value);
}

double randomRaw() {
    return dsfmt_genrand_close1_open2(&generator());
}

double random() {
    return randomRaw() - 1.0;
}

double random(double max) {
    return random() * max;
}

int random(int max) {
    return static_cast<int>(random() * max);
}

double random(double min, double max) {
    checkMinMax(min, max);
    return min + (max - min) * random();
}

void random(double* values, int count) {
    for (int i = 0; i < count; ++i)
        values[i] = random();
}

void random(double* values, int count, double max) {
    for (int i = 0; i < count; ++i)
        values[i] = random(max);
}

void random(double* values, int count, double min, double max) {
    checkMinMax(min, max);
    for (int i = 0; i < count; ++i)
        values[i] = min + (max - min) * random();
}

void random(Matrix& values) {
    fillElements(values, [] { return random(); });
}

void random(Matrix& values, double max) {
    fillElements(values, [max] { return random(max); });
}

void random(Matrix& values, double min, double max) {
    checkMinMax(min, max);
    fillElements(values, [min, max] { return min + (max - min) * random(); });
}

void shuffledIndices(std::int32_t* values, int count) {
    if (count <= 0)
        return;
    for (int i = 0; i < count; ++i)
        values[i] = -1; // all bits set: the empty mark
    for (int i = 0; i < count; ++i) {
        int position = std::rand() % count;
        while (values[position] != -1)
            position = (position + 1) % count;
        values[position] = i;
    }
}

int randomStateIndex() {
    return generator().idx;
}

} // namespace Stimora
