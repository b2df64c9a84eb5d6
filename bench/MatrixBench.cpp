// Matrix evaluation speed: the framework's lazy expressions against loops written by hand.
//   Product: a 512 x 512 product assigned through `c = a * b`, against the textbook triple
//   loop (i, j, k) and the same loop reordered (i, k, j) over plain arrays.
//   Element-wise: `c = a + b * 2.0 - ~a * b`, against one fused loop.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "math/Matrix.h"
#include "math/MatrixExpression.h"

using Stimora::Matrix;

namespace {

// Deterministic, non-trivial contents (no zeros or powers of two throughout).
Matrix filled(int n, double seed) {
    Matrix m(n, n);
    for (int k = 0; k < m.size(); ++k)
        m.data()[k] = seed + 0.001 * ((k * 7919) % 1000);
    return m;
}

std::vector<double> copyOf(const Matrix& m) {
    return std::vector<double>(m.data(), m.data() + m.size());
}

void BM_ProductFramework(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Matrix a = filled(n, 1.0);
    const Matrix b = filled(n, 2.0);
    Matrix c(n, n);
    for (auto _ : state) {
        c = a * b;
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n * n);
}

void BM_ProductTripleLoop(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = copyOf(filled(n, 1.0));
    const std::vector<double> b = copyOf(filled(n, 2.0));
    std::vector<double> c(static_cast<std::size_t>(n) * n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double sum = 0.0;
                for (int k = 0; k < n; ++k)
                    sum += a[static_cast<std::size_t>(i) * n + k] * b[static_cast<std::size_t>(k) * n + j];
                c[static_cast<std::size_t>(i) * n + j] = sum;
            }
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n * n);
}

void BM_ProductTripleLoopRowOrder(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = copyOf(filled(n, 1.0));
    const std::vector<double> b = copyOf(filled(n, 2.0));
    std::vector<double> c(static_cast<std::size_t>(n) * n);
    for (auto _ : state) {
        std::fill(c.begin(), c.end(), 0.0);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < n; ++k) {
                const double aik = a[static_cast<std::size_t>(i) * n + k];
                double* out = &c[static_cast<std::size_t>(i) * n];
                const double* row = &b[static_cast<std::size_t>(k) * n];
                for (int j = 0; j < n; ++j)
                    out[j] += aik * row[j];
            }
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n * n);
}

void BM_ElementwiseFramework(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Matrix a = filled(n, 1.0);
    const Matrix b = filled(n, 2.0);
    Matrix c(n, n);
    for (auto _ : state) {
        c = a + b * 2.0 - ~a * b;
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n);
}

void BM_ElementwiseHandLoop(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = copyOf(filled(n, 1.0));
    const std::vector<double> b = copyOf(filled(n, 2.0));
    std::vector<double> c(static_cast<std::size_t>(n) * n);
    for (auto _ : state) {
        for (std::size_t k = 0; k < c.size(); ++k)
            c[k] = a[k] + b[k] * 2.0 - a[k] * b[k];
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n);
}

} // namespace

BENCHMARK(BM_ProductFramework)->Arg(512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductTripleLoop)->Arg(512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductTripleLoopRowOrder)->Arg(512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementwiseFramework)->Arg(512)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ElementwiseHandLoop)->Arg(512)->Arg(1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
