#include "figures/Rectangle.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "base/Exception.h"
#include "display/Drawable.h"
#include "figures/Stroke.h"

namespace Stimora {

namespace {

[[noreturn]] void sizeError() {
    throw Exception(typeid(Rectangle), "SIZE ERROR", "Width and Height must be defined as positive value.");
}

} // namespace

Rectangle::Rectangle() = default;

Rectangle::Rectangle(double width, double height) {
    if (width <= 0.0 || height <= 0.0)
        sizeError();
    set(width, height);
}

Rectangle::Rectangle(double left_, double top_, double right_, double bottom_) {
    if (right_ - left_ <= 0.0 || bottom_ - top_ <= 0.0)
        sizeError();
    set(left_, top_, right_, bottom_);
}

Rectangle::Rectangle(const Rectangle& other)
    : Figure(), Shape(), left(other.left), top(other.top), right(other.right), bottom(other.bottom),
      color(other.color) {}

Rectangle& Rectangle::operator=(const Rectangle& other) {
    left = other.left;
    top = other.top;
    right = other.right;
    bottom = other.bottom;
    color = other.color;
    return *this;
}

Rectangle::~Rectangle() = default;

Point Rectangle::getDatum() const {
    return getCenter();
}

Rectangle& Rectangle::setDatum(const Point& p) {
    return setDatum(p.x, p.y, p.z);
}

Rectangle& Rectangle::centerAt(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

Rectangle& Rectangle::draw(Drawable& target) {
    target.rect(*this, color);
    return *this;
}

Rectangle& Rectangle::draw(const Stroke& stroke, Drawable& target) {
    target.rect(*this, stroke);
    return *this;
}

Rectangle& Rectangle::draw(const Color& c, Drawable& target) {
    target.rect(*this, c);
    return *this;
}

Rectangle& Rectangle::centerAt(double x, double y, double) {
    const double dx = std::fabs(right - left);
    const double dy = std::fabs(bottom - top);
    left = x - dx / 2.0;
    right = x + dx / 2.0;
    top = y - dy / 2.0;
    bottom = y + dy / 2.0;
    return *this;
}

Rectangle& Rectangle::centerAt(const Figure& figure) {
    return centerAt(figure.getDatum());
}

Rectangle& Rectangle::centerAt(Drawable& target) {
    return centerAt(target.getCenter());
}

Rectangle& Rectangle::setDatum(double x, double y, double) {
    const double dx = std::fabs(right - left);
    const double dy = std::fabs(bottom - top);
    left = x;
    top = y;
    right = x + dx;
    bottom = y + dy;
    return *this;
}

Rectangle& Rectangle::shift(double dx, double dy, double) {
    return set(left + dx, top + dy, right + dx, bottom + dy);
}

Rectangle& Rectangle::set(double width, double height) {
    left = 0.0;
    top = 0.0;
    right = width - 1.0;
    bottom = height - 1.0;
    return *this;
}

Rectangle& Rectangle::resize(double width, double height) {
    const Point centre = getCenter();
    set(width, height);
    // Through the Figure operation, so that a class overriding it recentres its own way.
    static_cast<Figure&>(*this).centerAt(centre);
    return *this;
}

Rectangle& Rectangle::set(double left_, double top_, double right_, double bottom_) {
    left = std::min(left_, right_);
    right = std::max(left_, right_);
    top = std::min(top_, bottom_);
    bottom = std::max(top_, bottom_);
    return *this;
}

Rectangle& Rectangle::set(const Point& p1, const Point& p2) {
    return set(p1.x, p1.y, p2.x, p2.y);
}

Rectangle& Rectangle::set(const Rectangle& other) {
    return set(other.left, other.top, other.right, other.bottom);
}

Rectangle& Rectangle::setColor(const Color& c) {
    color = c;
    return *this;
}

bool Rectangle::contains(double x, double y) const {
    return left <= x && x <= right && top <= y && y <= bottom;
}

bool Rectangle::contains(const Point& p) const {
    return contains(p.x, p.y);
}

bool Rectangle::contains(const Rectangle& other) const {
    return other.left >= left && other.top >= top && other.right <= right && other.bottom <= bottom;
}

double Rectangle::getWidth() const {
    return std::fabs(right - left) + 1.0;
}

double Rectangle::getHeight() const {
    return std::fabs(bottom - top) + 1.0;
}

double Rectangle::getCenterX() const {
    return (left + right) / 2.0;
}

double Rectangle::getCenterY() const {
    return (top + bottom) / 2.0;
}

Point Rectangle::getCenter() const {
    return Point(getCenterX(), getCenterY(), 0.0);
}

Rectangle& Rectangle::clipBy(const Rectangle& other) {
    return set(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom));
}

} // namespace Stimora
