#pragma once

#include <cstddef>
#include <vector>

#include "figures/FigureDatum.h"

namespace Stimora {

class Image;
class Rectangle;

/// An ordered list of figures drawn together, translated to the group's datum, optionally
/// scaled and rotated, and clipped to a rectangle or masked by an image. A group never
/// owns, copies or deletes its members or its mask.
class Group : public virtual FigureDatum {
public:
    ///@{
    /// Clip modes: none, a rectangle, a mask image.
    static constexpr int clipNone = 0;
    static constexpr int clipRectangle = 1;
    static constexpr int clipMask = 3;
    ///@}

    /// Rotation in degrees about (axisX, axisY, axisZ); 0 skips the rotation.
    double angle = 0.0;
    ///@{
    /// The rotation axis; the default z axis turns the members in the screen plane, clockwise
    /// for a positive angle (y runs downwards).
    double axisX = 0.0, axisY = 0.0, axisZ = 1.0;
    ///@}
    ///@{
    /// Scale factors about the datum, applied after the rotation; when all three are 0 the
    /// scaling step is skipped.
    double scaleX = 1.0, scaleY = 1.0, scaleZ = 1.0;
    ///@}

    /// Empty, unclipped, datum at the origin.
    Group();
    ~Group() override;

    /// Masks members by an image's alpha (not owned); clip mode 3.
    virtual Group& setMask(Image& image);
    /// Clips members to a rectangle (canvas coordinates); clip mode 1.
    virtual Group& setClip(const Rectangle& rect);
    /// Back to clip mode 0; the stored rectangle and mask stay but have no effect.
    virtual Group& clearClip();

    /// Moves the group's origin.
    Group& setDatum(const Point& p) override;
    /// Moves the group's origin, like setDatum.
    Group& centerAt(const Point& p) override;
    /// Hands the group to target.group(*this).
    Group& draw(Drawable& target = defaultTarget()) override;

    /// Adds a figure (not owned) at the end; the same figure may be listed more than once.
    Group& append(Figure& figure);
    /// A null pointer is ignored.
    Group& append(Figure* figure);
    /// Removes the member at a 0-based index; an index past the end does nothing.
    Group& remove(std::size_t index);
    /// Puts figure at index; an index past the end throws std::out_of_range.
    Group& replace(std::size_t index, Figure& figure);
    /// A null pointer leaves the entry as it was (the index is still checked).
    Group& replace(std::size_t index, Figure* figure);

    /// 0 none, 1 clip rectangle, 3 mask image.
    int getClipMode() const { return clipMode; }
    ///@{
    /// The clip rectangle's top and left edges and its width and height, in canvas pixels, as
    /// the latest setClip() stored them.
    double getClipTop() const { return clipTop; }
    double getClipLeft() const { return clipLeft; }
    double getClipWidth() const { return clipWidth; }
    double getClipHeight() const { return clipHeight; }
    ///@}
    /// The mask image, or null; not owned.
    Image* getMask() const { return mask; }
    /// Members in drawing order (index 0 first, later ones on top); not owned.
    const std::vector<Figure*>& getMembers() const { return members; }
    /// Number of members (a figure listed twice counts twice).
    std::size_t size() const { return members.size(); }

private:
    int clipMode = clipNone;
    double clipTop = 0.0, clipLeft = 0.0, clipWidth = 0.0, clipHeight = 0.0;
    Image* mask = nullptr;
    std::vector<Figure*> members;
};

} // namespace Stimora
