#include "figures/Group.h"

#include "display/Drawable.h"
#include "figures/Rectangle.h"

namespace Stimora {

Group::Group() = default;

Group::~Group() = default;

Group& Group::setMask(Image& image) {
    clipMode = clipMask;
    mask = &image;
    return *this;
}

Group& Group::setClip(const Rectangle& rect) {
    clipMode = clipRectangle;
    clipTop = rect.getTop();
    clipLeft = rect.getLeft();
    clipWidth = rect.getWidth();
    clipHeight = rect.getHeight();
    return *this;
}

Group& Group::clearClip() {
    clipMode = clipNone;
    return *this;
}

Group& Group::setDatum(const Point& p) {
    FigureDatum::setDatum(p);
    return *this;
}

Group& Group::centerAt(const Point& p) {
    FigureDatum::centerAt(p);
    return *this;
}

Group& Group::draw(Drawable& target) {
    target.group(*this);
    return *this;
}

Group& Group::append(Figure& figure) {
    members.push_back(&figure);
    return *this;
}

// A null entry would be dereferenced when the group is drawn: it is not listed.
Group& Group::append(Figure* figure) {
    if (figure != nullptr)
        members.push_back(figure);
    return *this;
}

Group& Group::remove(std::size_t index) {
    if (index < members.size())
        members.erase(members.begin() + static_cast<std::ptrdiff_t>(index));
    return *this;
}

Group& Group::replace(std::size_t index, Figure& figure) {
    return replace(index, &figure);
}

Group& Group::replace(std::size_t index, Figure* figure) {
    Figure*& entry = members.at(index);
    if (figure != nullptr)
        entry = figure;
    return *this;
}

} // namespace Stimora
