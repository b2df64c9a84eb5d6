#include "math/Random.h"

#include "application/Exception.h"
#include "devices/Clock.h"
#include "math/Matrix.h"

#include <dSFMT.h>

#include <cstdlib>

namespace Stimora {

namespace {

// The process-wide state, seeded from the calendar time on first use so that a draw made
// before start-up still reads a valid state; startUp() seeds it again.
dsfmt_t& generator() {
    static dsfmt_t* state = [] {
        static dsfmt_t storage;
        dsfmt_init_gen_rand(&storage, static_cast<std::uint32_t>(calendarTime()));
        return &storage;
    }();
    return *state;
}

void checkMinMax(double min, double max) {
    if (max - min < 0)
        throw Exception("min exceeds max in random(min, max)");
}

} // namespace

void initializeRandom() {
    std::srand(static_cast<unsigned>(calendarTime()));
    dsfmt_init_gen_rand(&generator(), static_cast<std::uint32_t>(calendarTime()));
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
    random(values.data(), values.data() ? values.size() : 0);
}

void random(Matrix& values, double max) {
    random(values.data(), values.data() ? values.size() : 0, max);
}

void random(Matrix& values, double min, double max) {
    random(values.data(), values.data() ? values.size() : 0, min, max);
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
