#pragma once

#include <cstddef>

namespace Stimora {

struct Point;
class Color;
class Stroke;
class Line;
class Rectangle;
class Ellipse;
class Polygon;
class Group;
class Image;
class Letters;
struct ShaderPatch;

/// The abstract drawing target. Figures hand themselves to one of these operations;
/// Canvas implements them with OpenGL, DrawableDummy refuses them before a canvas exists.
/// Every operation but the three queries returns the target for chaining.
class Drawable {
public:
    virtual ~Drawable() = default;
    /// Width of the target in pixels.
    virtual int getWidth() = 0;
    /// Height of the target in pixels.
    virtual int getHeight() = 0;
    /// The target's centre in pixels: (width / 2 - 0.5, height / 2 - 0.5, 0), halves taken in integers.
    virtual Point getCenter() = 0;
    /// Fills the back buffer with color.
    virtual Drawable& clear(const Color& color) = 0;
    /// One point (x, y) in color.
    virtual Drawable& pix(double x, double y, const Color& color) = 0;
    /// A line with the stroke's colour, width and stipple.
    virtual Drawable& line(const Line& line, const Stroke& stroke) = 0;
    /// A line one pixel wide in color.
    virtual Drawable& line(const Line& line, const Color& color) = 0;
    /// The rectangle's outline with the stroke.
    virtual Drawable& rect(const Rectangle& rectangle, const Stroke& stroke) = 0;
    /// The rectangle filled, edges included.
    virtual Drawable& rect(const Rectangle& rectangle, const Color& color) = 0;
    /// The ellipse's outline with the stroke.
    virtual Drawable& ellipse(const Ellipse& ellipse, const Stroke& stroke) = 0;
    /// The ellipse filled.
    virtual Drawable& ellipse(const Ellipse& ellipse, const Color& color) = 0;
    /// Closed outline through the polygon's vertices; nothing when it has none.
    virtual Drawable& polygon(const Polygon& polygon, const Stroke& stroke) = 0;
    /// The polygon filled; nothing when it has no vertices.
    virtual Drawable& polygon(const Polygon& polygon, const Color& color) = 0;
    /// The polygon filled in the current colour; nothing when it has no vertices.
    virtual Drawable& polygon(const Polygon& polygon) = 0;
    /// The group's members, under its clipping, masking and transform.
    virtual Drawable& group(Group& group) = 0;
    /// The image at its own place with a constant opacity alpha (0..1).
    virtual Drawable& image(Image& image, double alpha) = 0;
    /// The image with its top-left corner at (x, y) in pixels.
    virtual Drawable& image(Image& image, double x, double y) = 0;
    /// The image at its own place.
    virtual Drawable& image(Image& image) = 0;
    /// The text at its datum in color.
    virtual Drawable& letters(Letters& letters, const Color& color) = 0;
    /// Draws count shader-computed gratings or Gabor patches in one call. Only a target with a
    /// graphics card behind it can; this default refuses, as drawing before a canvas does.
    virtual Drawable& patches(const ShaderPatch* patches, std::size_t count);
    /// Keeps (on) or frees the glyph outlines of letters in this target's graphics context.
    /// Nothing for a target that keeps none.
    virtual Drawable& cacheLetters(Letters& letters, bool on);
};

/// The default drawing target: the DrawableDummy until the first canvas initialises,
/// then that canvas (until it is released).
Drawable& defaultTarget();

/// Makes target the default drawing target (null puts the DrawableDummy back).
void setDefaultTarget(Drawable* target);

} // namespace Stimora
