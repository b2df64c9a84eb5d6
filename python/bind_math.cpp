// Random numbers, intervals and matrices. A Matrix shares its elements with numpy through the
// buffer protocol (numpy.asarray(matrix) is a view, no copy); Matrix(array) copies.

#include "Bindings.h"

#include <cmath>
#include <optional>
#include <vector>

namespace StimoraPython {

using Stimora::Interval;
using Stimora::Matrix;

void bindMath(py::module_& m) {
    m.def("seed", &Stimora::seed, doc("seed"));
    m.def("random", py::overload_cast<>(&Stimora::random), doc("random"));
    m.def("random", py::overload_cast<int>(&Stimora::random), py::arg("max"));
    m.def("random", py::overload_cast<double>(&Stimora::random), py::arg("max"));
    m.def("random", py::overload_cast<double, double>(&Stimora::random), py::arg("min"), py::arg("max"));
    m.def("random", py::overload_cast<Matrix&>(&Stimora::random), py::arg("values"));
    m.def("random", py::overload_cast<Matrix&, double, double>(&Stimora::random), py::arg("values"),
          py::arg("min"), py::arg("max"));
    m.def("randomRaw", &Stimora::randomRaw, doc("randomRaw"));
    m.def(
        "shuffledIndices",
        [](int count) {
            std::vector<std::int32_t> values(static_cast<std::size_t>(count > 0 ? count : 0));
            Stimora::shuffledIndices(values.data(), count);
            return values;
        },
        doc("shuffledIndices"));

    py::class_<Interval> interval(m, "Interval", doc("Interval"));
    py::enum_<Interval::TYPES>(interval, "TYPES", doc("Interval.TYPES"))
        .value("UNDEFINED", Interval::UNDEFINED)
        .value("FINITE", Interval::FINITE)
        .value("PLUS_INFINITY", Interval::PLUS_INFINITY)
        .value("MINUS_INFINITY", Interval::MINUS_INFINITY);
    // Python chains comparisons as separate tests, so the C++ form 1 <= range <= 3 does not
    // carry over: the ends are given to the constructor, None for an unlimited one.
    interval.def(py::init<>(), doc("Interval.Interval"))
        .def(py::init([](std::optional<double> lower, std::optional<double> upper, bool lowerOpen,
                         bool upperOpen) {
                 Interval range;
                 if (lower) {
                     range.lowerType = Interval::FINITE;
                     range.lowerValue = *lower;
                     range.lowerOpen = lowerOpen ? 1 : 0;
                 }
                 if (upper) {
                     range.upperType = Interval::FINITE;
                     range.upperValue = *upper;
                     range.upperOpen = upperOpen ? 1 : 0;
                 }
                 return range;
             }),
             py::arg("lower"), py::arg("upper"), py::arg("lowerOpen") = false, py::arg("upperOpen") = false,
             "The range from lower to upper, each end included unless its open flag is set; None leaves an "
             "end unlimited.")
        .def("includes", &Interval::includes, doc("Interval.includes"))
        .def("isBounded", &Interval::isBounded, doc("Interval.isBounded"))
        .def("lowestInt", &Interval::lowestInt, doc("Interval.lowestInt"))
        .def("highestInt", &Interval::highestInt, doc("Interval.highestInt"))
        .def_readwrite("lowerType", &Interval::lowerType, doc("Interval.lowerType"))
        .def_readwrite("lowerOpen", &Interval::lowerOpen, doc("Interval.lowerOpen"))
        .def_readwrite("lowerValue", &Interval::lowerValue, doc("Interval.lowerValue"))
        .def_readwrite("upperType", &Interval::upperType, doc("Interval.upperType"))
        .def_readwrite("upperOpen", &Interval::upperOpen, doc("Interval.upperOpen"))
        .def_readwrite("upperValue", &Interval::upperValue, doc("Interval.upperValue"));

    py::class_<Matrix>(m, "Matrix", py::buffer_protocol(), doc("Matrix"))
        .def(py::init<>(), doc("Matrix.Matrix"))
        .def(py::init<int, int>(), py::arg("rows"), py::arg("cols"))
        .def(py::init([](py::array_t<double, py::array::c_style | py::array::forcecast> values) {
                 if (values.ndim() != 2 || values.shape(0) < 1 || values.shape(1) < 1)
                     throw Stimora::Exception(
                         typeid(Matrix), "FORMAT ERROR",
                         "A matrix is made from a two-dimensional array with at least one "
                         "row and one column.");
                 Matrix matrix(static_cast<int>(values.shape(0)), static_cast<int>(values.shape(1)));
                 std::copy(values.data(), values.data() + values.size(), matrix.data());
                 return matrix;
             }),
             py::arg("array"), "A copy of a two-dimensional array's elements.")
        .def_buffer([](Matrix& matrix) {
            if (!matrix.isAllocated())
                throw Stimora::Exception(typeid(Matrix), "NO MEMORY ERROR",
                                         "The matrix has no storage to share.");
            return py::buffer_info(
                matrix.data(), sizeof(double), py::format_descriptor<double>::format(), 2,
                {matrix.rows(), matrix.cols()},
                {sizeof(double) * static_cast<std::size_t>(matrix.cols()), sizeof(double)});
        })
        .def("rows", &Matrix::rows, doc("Matrix.rows"))
        .def("cols", &Matrix::cols, doc("Matrix.cols"))
        .def("size", &Matrix::size, doc("Matrix.size"))
        .def("isAllocated", &Matrix::isAllocated, doc("Matrix.isAllocated"))
        .def("allocate", &Matrix::allocate, doc("Matrix.allocate"))
        .def("fill", &Matrix::fill, doc("Matrix.fill"))
        .def("at", py::overload_cast<int, int>(&Matrix::at), doc("Matrix.at"))
        .def(
            "set", [](Matrix& matrix, int i, int j, double value) { matrix.at(i, j) = value; }, py::arg("i"),
            py::arg("j"), py::arg("value"), "Sets element (i, j), 1-based; i in 1..rows and j in 1..cols.")
        .def("slide", &Matrix::slide, doc("Matrix.slide"))
        .def("transpose", &Matrix::transpose, doc("Matrix.transpose"))
        .def("rotate", &Matrix::rotate, doc("Matrix.rotate"))
        .def("setShape", &Matrix::setShape, doc("Matrix.setShape"))
        .def("catRows", &Matrix::catRows, doc("Matrix.catRows"))
        .def("min", &Matrix::min, doc("Matrix.min"))
        .def("max", &Matrix::max, doc("Matrix.max"))
        .def("trace", &Matrix::trace, doc("Matrix.trace"))
        .def("__matmul__", [](const Matrix& a, const Matrix& b) { return Matrix(a * b); })
        .def("__add__", [](const Matrix& a, const Matrix& b) { return Matrix(a + b); })
        .def("__sub__", [](const Matrix& a, const Matrix& b) { return Matrix(a - b); })
        .def("__mul__", [](const Matrix& a, double s) { return Matrix(a * s); })
        .def("__rmul__", [](const Matrix& a, double s) { return Matrix(a * s); })
        .def("__truediv__", [](const Matrix& a, double s) { return Matrix(a / s); });
}

} // namespace StimoraPython
