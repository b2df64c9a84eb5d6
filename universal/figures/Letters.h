#pragma once

#include <memory>
#include <string>

#include "figures/Colored.h"
#include "figures/FigureDatum.h"
#include "figures/Font.h"
#include "figures/Shape.h"

namespace Stimora {

class APIFontProperties;

/// Outline text: a UTF-16 string in a Font, placed by its datum on the baseline (its left
/// end, centre or right end by alignment) and drawn as filled glyph outlines rising from it.
/// The glyphs live in a cache of display lists built in the canvas's context; a Letters made
/// while no canvas exists stays uncached (and cannot be drawn) until cache(true).
class Letters : public virtual Shape, public virtual FigureDatum {
public:
    ///@{
    /// Horizontal alignments on the datum; any other value acts as left.
    static constexpr int alignLeft = 0;
    static constexpr int alignCenter = 1;
    static constexpr int alignRight = 2;
    ///@}

    /// The glyph cache (owned); null until the first build.
    std::unique_ptr<APIFontProperties> glyphCache;
    /// The text as UTF-16 code units.
    std::u16string string;
    /// The font, by value.
    Font font;
    ///@{
    /// Extent of the text in pixels as of the last build (advances x size, largest glyph
    /// height x size); 0 until cached.
    double width = 0.0;
    double height = 0.0;
    ///@}
    /// 0 left, 1 centre, 2 right; a new Letters is left-aligned.
    int alignment = alignLeft;

    /// Empty text in the default font; uncached.
    Letters();
    /// Copies the text and font; cached at once when the default drawing target is a canvas.
    Letters(const std::u16string& string, const Font& font);
    /// A zero-terminated UTF-16 string.
    Letters(const char16_t* string, const Font& font);
    /// A zero-terminated wide string (converted to UTF-16 code units).
    Letters(const wchar_t* string, const Font& font);
    /// Copies text, font, datum and alignment; the copy gets a cache of its own.
    Letters(const Letters& other);
    /// Copies text, font, datum and alignment, then rebuilds this one's cache.
    Letters& operator=(const Letters& other);
    /// Releases the glyph cache.
    ~Letters() override;

    /// The font, by reference.
    virtual Font& getFont();
    /// The text, by reference.
    virtual std::u16string& getString();
    /// Copies size, weight, style and families, then cache(cache).
    virtual Letters& setFont(const Font& font, bool cache);
    /// Replaces the text, then cache(cache).
    virtual Letters& setString(const std::u16string& string, bool cache);
    /// On: builds the glyph cache in the default drawing target's context; off: releases it.
    /// Nothing while the default drawing target is not a canvas.
    virtual Letters& cache(bool on);
    /// Replaces the text and rebuilds the cache.
    virtual Letters& setString(const std::u16string& string);
    /// Centres the text horizontally on (x, y), baseline at y; z is carried along.
    virtual Letters& centerAt(double x, double y, double z = 0.0);
    /// Draws once with the given alignment, then restores the stored one.
    virtual Letters& draw(const Color& color, int alignment, Drawable& target = defaultTarget());

    /// The reference point on the baseline.
    Point getDatum() const override;
    /// Moves the reference point to p (the alignment stays).
    Letters& setDatum(const Point& p) override;
    /// Sets the alignment to centre and the reference point to p.
    Letters& centerAt(const Point& p) override;
    /// Draws in opaque white.
    Letters& draw(Drawable& target = defaultTarget()) override;
    /// Text has no outline of its own: fills with the stroke's colour.
    Letters& draw(const Stroke& stroke, Drawable& target = defaultTarget()) override;
    /// Fills the glyphs with color.
    Letters& draw(const Color& color, Drawable& target = defaultTarget()) override;

    /// A wide-string convenience for setString(string, cache).
    Letters& setString(const wchar_t* string, bool cache = true);

    /// Whether the glyph cache holds lists that can be drawn.
    bool isCached() const;
    /// The canvas side of cache(on), run with the canvas's context current: on rebuilds the
    /// cache (releasing an earlier one) and updates width and height; off releases it.
    /// On failure raises "Failed to load font." and stays uncached.
    void buildGlyphCache(bool on);
};

} // namespace Stimora
