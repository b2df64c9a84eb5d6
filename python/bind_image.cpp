// Images and numpy. array() is a view of the image's own pixels, no copy: rows are stored
// bottom-up and padded to 4 bytes, which a view expresses with a negative row stride, so
// array()[y, x] is the pixel at (x, y) with y = 0 at the top. fromArray() copies once into a
// new bitmap (an image owns its pixels). After writing through a view, cache() refreshes the
// texture of a cached image.

#include "Bindings.h"

#include <cstring>
#include <string>

namespace StimoraPython {

using namespace Stimora;

namespace {

Drawable& on(Drawable* target) {
    return target != nullptr ? *target : defaultTarget();
}

// The pixels as an array of (height, width) for GRAY, else (height, width, components);
// uint8 for BYTE, float32 for FLOAT. The array keeps the image alive.
py::array view(Image& image, py::handle owner) {
    const auto height = static_cast<py::ssize_t>(image.getHeight());
    const auto width = static_cast<py::ssize_t>(image.getWidth());
    const auto components = static_cast<py::ssize_t>(image.getComponents());
    const auto element = static_cast<py::ssize_t>(image.getPrecision() == Image::FLOAT ? sizeof(float) : 1);
    const py::dtype type =
        image.getPrecision() == Image::FLOAT ? py::dtype::of<float>() : py::dtype::of<std::uint8_t>();
    // The top row is the last one stored.
    char* top = static_cast<char*>(image.getBuffer()) + (height - 1) * image.getBytesPerRow();
    std::vector<py::ssize_t> shape{height, width},
        strides{-static_cast<py::ssize_t>(image.getBytesPerRow()), components * element};
    if (image.getLayout() != Image::GRAY) {
        shape.push_back(components);
        strides.push_back(element);
    }
    return py::array(type, shape, strides, top, owner);
}

// A new bitmap holding values: (h, w) grey, (h, w, 3) RGB or (h, w, 4) RGBA; uint8 gives BYTE,
// any floating type FLOAT (as float32).
void fill(Image& image, const py::array& values) {
    const bool bytes = values.dtype().is(py::dtype::of<std::uint8_t>());
    if (!bytes && values.dtype().kind() != 'f')
        throw Exception(typeid(Image), "FORMAT ERROR",
                        "An image is made from uint8 components (0..255) or floating ones (0..1).");
    const int ndim = static_cast<int>(values.ndim());
    const int components = ndim == 2 ? 1 : ndim == 3 ? static_cast<int>(values.shape(2)) : 0;
    if (components != 1 && components != 3 && components != 4)
        throw Exception(typeid(Image), "FORMAT ERROR",
                        "An image is made from an array of (height, width), (height, width, 3) or "
                        "(height, width, 4) values.");
    const int layout = components == 1 ? Image::GRAY : components == 3 ? Image::RGB : Image::RGBA;
    const int height = static_cast<int>(values.shape(0)), width = static_cast<int>(values.shape(1));
    if (image.hasBitmap())
        image.release();
    image.set(width, height, layout, bytes ? Image::BYTE : Image::FLOAT);
    py::array target = view(image, py::none());
    if (bytes) {
        target.attr("__setitem__")(py::ellipsis(), values);
    } else {
        target.attr("__setitem__")(py::ellipsis(), values.attr("astype")("float32"));
    }
}

} // namespace

void bindImage(py::module_& m) {
    py::class_<Image, Figure> image(m, "Image", py::multiple_inheritance(), doc("Image"));
    image.attr("GRAY") = Image::GRAY;
    image.attr("RGB") = Image::RGB;
    image.attr("RGBA") = Image::RGBA;
    image.attr("BYTE") = Image::BYTE;
    image.attr("FLOAT") = Image::FLOAT;
    image.def(py::init<>(), doc("Image.Image"))
        .def(py::init<int, int, int, int>(), py::arg("width"), py::arg("height"), py::arg("layout"),
             py::arg("precision"))
        .def(py::init<int, int, int>(), py::arg("width"), py::arg("height"), py::arg("precision"))
        .def(py::init<const std::string&>(), py::arg("path"))
        .def(py::init<const Image&>(), py::arg("other"))
        .def_static(
            "fromArray",
            [](const py::array& values) {
                auto made = std::make_unique<Image>();
                fill(*made, values);
                return made;
            },
            py::arg("values"),
            "A new image holding a copy of values: (height, width) grey, (height, width, 3) RGB or "
            "(height, width, 4) RGBA; uint8 gives BYTE components, floating types FLOAT (0..1). Row 0 is "
            "the top row.")
        .def(
            "array", [](py::object self) { return view(self.cast<Image&>(), self); },
            "The pixels as a numpy array sharing the image's memory (no copy): (height, width) for GRAY, "
            "else (height, width, components); uint8 for BYTE, float32 for FLOAT; [y, x] with y = 0 at the "
            "top. The array keeps the image alive. Call cache() after writing to refresh a cached texture.")
        .def("set", py::overload_cast<int, int, int, int>(&Image::set), doc("Image.set"), chain)
        .def("release", &Image::release, doc("Image.release"))
        .def("hasBitmap", &Image::hasBitmap, doc("Image.hasBitmap"))
        .def("isCached", &Image::isCached, doc("Image.isCached"))
        .def("getLayout", &Image::getLayout, doc("Image.getLayout"))
        .def("getPrecision", &Image::getPrecision, doc("Image.getPrecision"))
        .def("getComponents", &Image::getComponents, doc("Image.getComponents"))
        .def("getBytesPerRow", &Image::getBytesPerRow, doc("Image.getBytesPerRow"))
        .def("getArea", py::overload_cast<>(&Image::getArea), doc("Image.getArea"),
             py::return_value_policy::reference_internal)
        .def("getRect", &Image::getRect, doc("Image.getRect"), py::return_value_policy::reference_internal)
        .def("pix", &Image::pix, doc("Image.pix"), chain)
        .def("rawPix", &Image::rawPix, doc("Image.rawPix"), chain)
        .def("alpha", &Image::alpha, doc("Image.alpha"), chain)
        .def("getPix", &Image::getPix, doc("Image.getPix"))
        .def("clear", &Image::clear, doc("Image.clear"), chain)
        .def("line", py::overload_cast<double, double, double, double, const Color&>(&Image::line),
             doc("Image.line"), chain)
        .def("rect", &Image::rect, doc("Image.rect"), chain)
        .def("oval", &Image::oval, doc("Image.oval"), chain)
        // `from` is a Python keyword.
        .def("from_", py::overload_cast<const Matrix&>(&Image::from), doc("Image.from"), chain)
        .def("from_", py::overload_cast<const Matrix&, const Matrix&, const Matrix&>(&Image::from), chain)
        .def("from_",
             py::overload_cast<const Matrix&, const Matrix&, const Matrix&, const Matrix&>(&Image::from),
             chain)
        .def("to", py::overload_cast<Matrix&>(&Image::to), doc("Image.to"), chain)
        .def("to", py::overload_cast<Matrix&, Matrix&, Matrix&>(&Image::to), chain)
        .def("to", py::overload_cast<Matrix&, Matrix&, Matrix&, Matrix&>(&Image::to), chain)
        .def("to", py::overload_cast<const Rectangle&, Image&, const Rectangle&>(&Image::to), chain)
        .def("load", py::overload_cast<const std::string&>(&Image::load), doc("Image.load"), chain)
        .def("save", py::overload_cast<const std::string&>(&Image::save), doc("Image.save"), chain)
        .def("cache", &Image::cache, py::arg("on") = true, doc("Image.cache"), chain)
        .def(
            "draw",
            [](Image& i, double alpha, Drawable* target) -> Image& { return i.draw(alpha, on(target)); },
            py::arg("alpha"), py::arg("target") = nullptr, doc("Image.draw"), chain)
        .def(
            "draw",
            [](Image& i, double x, double y, Drawable* target) -> Image& { return i.draw(x, y, on(target)); },
            py::arg("x"), py::arg("y"), py::arg("target") = nullptr, chain)
        .def(
            "draw", [](Image& i, Drawable* target) -> Image& { return i.draw(on(target)); },
            py::arg("target") = nullptr, chain)
        .def("centerAt", py::overload_cast<double, double, double>(&Image::centerAt), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, doc("Image.centerAt"), chain)
        .def("centerAt", py::overload_cast<const Point&>(&Image::centerAt), chain)
        .def("centerAt", py::overload_cast<Drawable&>(&Image::centerAt), chain)
        .def("setDatum", py::overload_cast<double, double, double>(&Image::setDatum), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, doc("Image.setDatum"), chain)
        .def("shift", &Image::shift, py::arg("dx"), py::arg("dy"), py::arg("dz") = 0.0, doc("Image.shift"),
             chain)
        .def("getWidth", &Image::getWidth, doc("Image.getWidth"))
        .def("getHeight", &Image::getHeight, doc("Image.getHeight"));
}

} // namespace StimoraPython
