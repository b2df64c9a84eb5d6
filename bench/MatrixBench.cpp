// Matrix evaluation speed: the framework's lazy expressions against their references.
//   Product: 512 x 512 and 1024 x 1024 products assigned through `c = a * b`, against one
//   direct cblas_dgemm call on the same values (the wrapper should cost nothing).
//   Element-wise: `c = a + b * 2.0 - ~a * b` (`~a` marks a for element-wise treatment: its
//   elements are a's), against the plain loop over the same values, which gives the same bits.

#include <benchmark/benchmark.h>
#include <cblas.h>

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

// The same product by one direct call of the BLAS the framework uses, on one thread as the
// framework's products run.
void BM_ProductDirectBlas(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = copyOf(filled(n, 1.0));
    const std::vector<double> b = copyOf(filled(n, 2.0));
    std::vector<double> c(static_cast<std::size_t>(n) * n);
    openblas_set_num_threads(1);
    for (auto _ : state) {
        cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a.data(), n, b.data(), n, 0.0,
                    c.data(), n);
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

// The plain loop, kept out of line so that it is compiled as any such function would be.
__attribute__((noinline)) void plainLoop(double* r, const double* p, const double* q, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        r[k] = p[k] + q[k] * 2.0 - p[k] * q[k];
}

void BM_ElementwisePlainLoop(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = copyOf(filled(n, 1.0));
    const std::vector<double> b = copyOf(filled(n, 2.0));
    std::vector<double> c(static_cast<std::size_t>(n) * n);
    for (auto _ : state) {
        plainLoop(c.data(), a.data(), b.data(), c.size());
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(n) * n);
}

} // namespace

BENCHMARK(BM_ProductFramework)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductDirectBlas)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementwiseFramework)->Arg(512)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ElementwisePlainLoop)->Arg(512)->Arg(1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
