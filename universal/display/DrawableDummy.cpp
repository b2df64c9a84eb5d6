#include "display/DrawableDummy.h"

#include "base/Exception.h"
#include "base/Point.h"

namespace Stimora {

const char* const DrawableDummy::message =
    "Canvas-dependent function was called before the instantiation of Canvas.";

namespace {

// Null means the dummy. A plain pointer needs no construction, so figures drawn during
// static initialisation elsewhere still find the dummy.
Drawable* defaultTarget_ = nullptr;

[[noreturn]] void refuseDrawing() {
    throw new Exception(DrawableDummy::message);
}

} // namespace

DrawableDummy& DrawableDummy::instance() {
    static DrawableDummy dummy;
    return dummy;
}

Drawable& defaultTarget() {
    return defaultTarget_ ? *defaultTarget_ : DrawableDummy::instance();
}

void setDefaultTarget(Drawable* target) {
    defaultTarget_ = target == &DrawableDummy::instance() ? nullptr : target;
}

void DrawableDummy::refuse() {
    refuseDrawing();
}

int DrawableDummy::getWidth() {
    refuseDrawing();
}
int DrawableDummy::getHeight() {
    refuseDrawing();
}
Point DrawableDummy::getCenter() {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::clear(const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::pix(double, double, const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::line(const Line&, const Stroke&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::line(const Line&, const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::rect(const Rectangle&, const Stroke&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::rect(const Rectangle&, const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::ellipse(const Ellipse&, const Stroke&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::ellipse(const Ellipse&, const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::polygon(const Polygon&, const Stroke&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::polygon(const Polygon&, const Color&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::polygon(const Polygon&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::group(Group&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::image(Image&, double) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::image(Image&, double, double) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::image(Image&) {
    refuseDrawing();
}
DrawableDummy& DrawableDummy::letters(Letters&, const Color&) {
    refuseDrawing();
}

} // namespace Stimora
