// The figures: shapes, groups, text and fonts. Every figure draws on a target given as its
// last argument, or on the default drawing target (the current canvas) without one. The
// framework's figures use virtual bases, hence multiple_inheritance on each class.

#include "Bindings.h"

#include <string>

namespace StimoraPython {

using namespace Stimora;

namespace {

Drawable& on(Drawable* target) {
    return target != nullptr ? *target : defaultTarget();
}

// draw(stroke), draw(color) and draw() of a shape, each on an optional target.
template <class T, class Class> void drawForms(Class& c, const char* key) {
    c.def(
         "draw",
         [](T& shape, const Stroke& stroke, Drawable* target) -> T& {
             shape.draw(stroke, on(target));
             return shape;
         },
         py::arg("stroke"), py::arg("target") = nullptr, doc(key), chain)
        .def(
            "draw",
            [](T& shape, const Color& color, Drawable* target) -> T& {
                shape.draw(color, on(target));
                return shape;
            },
            py::arg("color"), py::arg("target") = nullptr, chain)
        .def(
            "draw",
            [](T& shape, Drawable* target) -> T& {
                shape.draw(on(target));
                return shape;
            },
            py::arg("target") = nullptr, chain);
}

} // namespace

void bindFigures(py::module_& m) {
    py::class_<Drawable>(m, "Drawable", doc("Drawable"))
        .def("getWidth", &Drawable::getWidth, doc("Drawable.getWidth"))
        .def("getHeight", &Drawable::getHeight, doc("Drawable.getHeight"))
        .def("getCenter", &Drawable::getCenter, doc("Drawable.getCenter"));
    m.def("defaultTarget", &defaultTarget, doc("defaultTarget"), chain);

    py::class_<Figure>(m, "Figure", doc("Figure"))
        .def("getDatum", &Figure::getDatum, doc("Figure.getDatum"))
        .def("setDatum", &Figure::setDatum, doc("Figure.setDatum"), chain)
        .def("centerAt", &Figure::centerAt, doc("Figure.centerAt"), chain)
        .def(
            "draw", [](Figure& f, Drawable* target) -> Figure& { return f.draw(on(target)); },
            py::arg("target") = nullptr, doc("Figure.draw"), chain)
        .def("appendTo", &Figure::appendTo, doc("Figure.appendTo"), chain);
    py::class_<FigureDatum, Figure>(m, "FigureDatum", py::multiple_inheritance(), doc("FigureDatum"))
        .def_readwrite("datum", &FigureDatum::datum, doc("FigureDatum.datum"));
    py::class_<Shape, Figure>(m, "Shape", py::multiple_inheritance(), doc("Shape"));

    py::class_<Stroke>(m, "Stroke", doc("Stroke"))
        .def(py::init<>(), doc("Stroke.Stroke"))
        .def(py::init<const Color&, double, std::uint16_t>(), py::arg("color"), py::arg("width") = 1.0,
             py::arg("pattern") = 0xFFFF)
        .def_readwrite("color", &Stroke::color, doc("Stroke.color"))
        .def_readwrite("width", &Stroke::width, doc("Stroke.width"))
        .def_readwrite("pattern", &Stroke::pattern, doc("Stroke.pattern"))
        .def(py::self == py::self);

    py::class_<Rectangle, Shape> rectangle(m, "Rectangle", py::multiple_inheritance(), doc("Rectangle"));
    rectangle.def(py::init<>(), doc("Rectangle.Rectangle"))
        .def(py::init<double, double>(), py::arg("width"), py::arg("height"))
        .def(py::init<double, double, double, double>(), py::arg("left"), py::arg("top"), py::arg("right"),
             py::arg("bottom"))
        .def(py::init<const Rectangle&>(), py::arg("other"))
        .def_readwrite("left", &Rectangle::left, doc("Rectangle.left"))
        .def_readwrite("top", &Rectangle::top)
        .def_readwrite("right", &Rectangle::right)
        .def_readwrite("bottom", &Rectangle::bottom)
        .def_readwrite("color", &Rectangle::color, doc("Rectangle.color"))
        .def("centerAt", py::overload_cast<double, double, double>(&Rectangle::centerAt), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, doc("Rectangle.centerAt"), chain)
        .def("centerAt", py::overload_cast<const Point&>(&Rectangle::centerAt), chain)
        .def("centerAt", py::overload_cast<Drawable&>(&Rectangle::centerAt), chain)
        .def("setDatum", py::overload_cast<double, double, double>(&Rectangle::setDatum), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, doc("Rectangle.setDatum"), chain)
        .def("setDatum", py::overload_cast<const Point&>(&Rectangle::setDatum), chain)
        .def("shift", &Rectangle::shift, py::arg("dx"), py::arg("dy"), py::arg("dz") = 0.0,
             doc("Rectangle.shift"), chain)
        .def("set", py::overload_cast<double, double>(&Rectangle::set), doc("Rectangle.set"), chain)
        .def("set", py::overload_cast<double, double, double, double>(&Rectangle::set), chain)
        .def("set", py::overload_cast<const Point&, const Point&>(&Rectangle::set), chain)
        .def("set", py::overload_cast<const Rectangle&>(&Rectangle::set), chain)
        .def("resize", &Rectangle::resize, doc("Rectangle.resize"), chain)
        .def("setColor", &Rectangle::setColor, doc("Rectangle.setColor"), chain)
        .def("contains", py::overload_cast<double, double>(&Rectangle::contains, py::const_),
             doc("Rectangle.contains"))
        .def("contains", py::overload_cast<const Point&>(&Rectangle::contains, py::const_))
        .def("contains", py::overload_cast<const Rectangle&>(&Rectangle::contains, py::const_))
        .def("getWidth", &Rectangle::getWidth, doc("Rectangle.getWidth"))
        .def("getHeight", &Rectangle::getHeight, doc("Rectangle.getHeight"))
        .def("getCenterX", &Rectangle::getCenterX, doc("Rectangle.getCenterX"))
        .def("getCenterY", &Rectangle::getCenterY, doc("Rectangle.getCenterY"))
        .def("getCenter", &Rectangle::getCenter, doc("Rectangle.getCenter"))
        .def("clipBy", &Rectangle::clipBy, doc("Rectangle.clipBy"), chain)
        .def("__repr__", [](const Rectangle& r) {
            return "Rectangle(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
                   std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
        });
    drawForms<Rectangle>(rectangle, "Rectangle.draw");

    py::class_<Line, Shape, FigureDatum> line(m, "Line", py::multiple_inheritance(), doc("Line"));
    line.def(py::init<>(), doc("Line.Line"))
        .def(py::init<double, double, double, double>(), py::arg("x1"), py::arg("y1"), py::arg("x2"),
             py::arg("y2"))
        .def(py::init<const Point&, const Point&>(), py::arg("start"), py::arg("end"))
        .def_readwrite("end", &Line::end, doc("Line.end"))
        .def("set", py::overload_cast<double, double, double, double>(&Line::set), doc("Line.set"), chain)
        .def("set", py::overload_cast<const Point&, const Point&>(&Line::set), chain)
        .def("getStart", &Line::getStart, doc("Line.getStart"))
        .def("getEnd", &Line::getEnd, doc("Line.getEnd"));
    drawForms<Line>(line, "Line.draw");

    py::class_<Ellipse, Shape, FigureDatum> ellipse(m, "Ellipse", py::multiple_inheritance(), doc("Ellipse"));
    ellipse.def(py::init<>(), doc("Ellipse.Ellipse"))
        .def(py::init<double, double, const Point&>(), py::arg("width"), py::arg("height"),
             py::arg("centre") = Point())
        .def(py::init<const Rectangle&>(), py::arg("rect"))
        .def_readwrite("width", &Ellipse::width, doc("Ellipse.width"))
        .def_readwrite("height", &Ellipse::height, doc("Ellipse.height"))
        .def("set", py::overload_cast<double, double, const Point&>(&Ellipse::set), py::arg("width"),
             py::arg("height"), py::arg("centre") = Point(), doc("Ellipse.set"), chain)
        .def("set", py::overload_cast<const Rectangle&>(&Ellipse::set), chain);
    drawForms<Ellipse>(ellipse, "Ellipse.draw");

    py::class_<Polygon, Shape, FigureDatum> polygon(m, "Polygon", py::multiple_inheritance(), doc("Polygon"));
    polygon.def(py::init<>(), doc("Polygon.Polygon"))
        .def_readwrite("vertices", &Polygon::vertices, doc("Polygon.vertices"))
        .def("append", py::overload_cast<const Point&>(&Polygon::append), doc("Polygon.append"), chain)
        .def("append", py::overload_cast<double, double, double>(&Polygon::append), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, chain)
        .def("empty", &Polygon::empty, doc("Polygon.empty"))
        .def("clear", &Polygon::clear, doc("Polygon.clear"), chain);
    drawForms<Polygon>(polygon, "Polygon.draw");

    // A group lists its members without owning them: each member keeps the group alive, so a
    // member is never drawn after Python let go of it.
    py::class_<Group, FigureDatum>(m, "Group", py::multiple_inheritance(), doc("Group"))
        .def(py::init<>(), doc("Group.Group"))
        .def_readwrite("angle", &Group::angle, doc("Group.angle"))
        .def_readwrite("axisX", &Group::axisX, doc("Group.axisX"))
        .def_readwrite("axisY", &Group::axisY)
        .def_readwrite("axisZ", &Group::axisZ)
        .def_readwrite("scaleX", &Group::scaleX, doc("Group.scaleX"))
        .def_readwrite("scaleY", &Group::scaleY)
        .def_readwrite("scaleZ", &Group::scaleZ)
        .def("setMask", &Group::setMask, py::keep_alive<1, 2>(), doc("Group.setMask"), chain)
        .def("setClip", &Group::setClip, doc("Group.setClip"), chain)
        .def("clearClip", &Group::clearClip, doc("Group.clearClip"), chain)
        .def("append", py::overload_cast<Figure&>(&Group::append), py::keep_alive<1, 2>(),
             doc("Group.append"), chain)
        .def("remove", &Group::remove, doc("Group.remove"), chain)
        .def("replace", py::overload_cast<std::size_t, Figure&>(&Group::replace), py::keep_alive<1, 3>(),
             doc("Group.replace"), chain)
        .def("getClipMode", &Group::getClipMode, doc("Group.getClipMode"))
        .def("getMembers", &Group::getMembers, doc("Group.getMembers"), chain)
        .def("size", &Group::size, doc("Group.size"))
        .def("__len__", &Group::size);

    py::class_<Font>(m, "Font", doc("Font"))
        .def(py::init<>(), doc("Font.Font"))
        .def(py::init<double, int, int, const std::string&>(), py::arg("size"), py::arg("weight"),
             py::arg("style"), py::arg("family"))
        .def_readwrite("size", &Font::size, doc("Font.size"))
        .def_readwrite("weight", &Font::weight, doc("Font.weight"))
        .def_readwrite("style", &Font::style, doc("Font.style"))
        .def_readwrite("families", &Font::families, doc("Font.families"))
        .def_static("defaultFont", &Font::defaultFont, doc("Font.defaultFont"), chain)
        .def("face", &Font::face, doc("Font.face"));

    py::class_<Letters, Shape, FigureDatum> letters(m, "Letters", py::multiple_inheritance(), doc("Letters"));
    letters.def(py::init<>(), doc("Letters.Letters"))
        .def(py::init<const std::u16string&, const Font&>(), py::arg("string"),
             py::arg("font") = Font::defaultFont())
        .def_readonly("width", &Letters::width, doc("Letters.width"))
        .def_readonly("height", &Letters::height)
        .def_readwrite("alignment", &Letters::alignment, doc("Letters.alignment"))
        .def_readwrite("string", &Letters::string, doc("Letters.string"))
        .def_readwrite("font", &Letters::font, doc("Letters.font"))
        .def("setFont", &Letters::setFont, py::arg("font"), py::arg("cache") = true, doc("Letters.setFont"),
             chain)
        .def("setString", py::overload_cast<const std::u16string&, bool>(&Letters::setString),
             py::arg("string"), py::arg("cache") = true, doc("Letters.setString"), chain)
        .def("cache", &Letters::cache, doc("Letters.cache"), chain)
        .def("isCached", &Letters::isCached, doc("Letters.isCached"))
        .def("centerAt", py::overload_cast<double, double, double>(&Letters::centerAt), py::arg("x"),
             py::arg("y"), py::arg("z") = 0.0, doc("Letters.centerAt"), chain)
        .def("centerAt", py::overload_cast<const Point&>(&Letters::centerAt), chain);
    letters.attr("alignLeft") = Letters::alignLeft;
    letters.attr("alignCenter") = Letters::alignCenter;
    letters.attr("alignRight") = Letters::alignRight;
    drawForms<Letters>(letters, "Letters.draw");

    py::class_<Angle>(m, "Angle", doc("Angle"))
        .def(py::init<double>(), py::arg("tenths") = 0.0, doc("Angle.Angle"))
        .def_readwrite("value", &Angle::value, doc("Angle.value"))
        .def_static("fromDegrees", &Angle::fromDegrees, doc("Angle.fromDegrees"))
        .def_static("fromRadians", &Angle::fromRadians, doc("Angle.fromRadians"))
        .def("toDegrees", &Angle::toDegrees, doc("Angle.toDegrees"))
        .def("toRadians", &Angle::toRadians, doc("Angle.toRadians"))
        .def(py::self == py::self);
    py::class_<Length>(m, "Length", doc("Length"))
        .def(py::init<double>(), py::arg("pixels") = 0.0, doc("Length.Length"))
        .def_readwrite("value", &Length::value, doc("Length.value"))
        .def("getPixels", &Length::getPixels, doc("Length.getPixels"));
}

} // namespace StimoraPython
