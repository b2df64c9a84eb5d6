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
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    virtual Point getCenter() = 0;
    virtual Drawable& clear(const Color& color) = 0;
    virtual Drawable& pix(double x, double y, const Color& color) = 0;
    virtual Drawable& line(const Line& line, const Stroke& stroke) = 0;
    virtual Drawable& line(const Line& line, const Color& color) = 0;
    virtual Drawable& rect(const Rectangle& rectangle, const Stroke& stroke) = 0;
    virtual Drawable& rect(const Rectangle& rectangle, const Color& color) = 0;
    virtual Drawable& ellipse(const Ellipse& ellipse, const Stroke& stroke) = 0;
    virtual Drawable& ellipse(const Ellipse& ellipse, const Color& color) = 0;
    virtual Drawable& polygon(const Polygon& polygon, const Stroke& stroke) = 0;
    virtual Drawable& polygon(const Polygon& polygon, const Color& color) = 0;
    virtual Drawable& polygon(const Polygon& polygon) = 0;
    virtual Drawable& group(Group& group) = 0;
    virtual Drawable& image(Image& image, double alpha) = 0;
    virtual Drawable& image(Image& image, double x, double y) = 0;
    virtual Drawable& image(Image& image) = 0;
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
