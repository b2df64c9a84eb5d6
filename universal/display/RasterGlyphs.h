#pragma once

#include <array>
#include <memory>

namespace Stimora {

class Image;

/// The built-in narrow font of the canvas's 8-bit `message`: 128 glyphs, one per character
/// code, 7 pixels high. Glyph c is (advance(c) - 1) pixels wide, so neighbouring glyphs keep
/// at least one blank column between them. Bitmaps are 7 bytes per glyph, the first byte the
/// top row and the most significant bit the leftmost pixel.
class RasterGlyphs {
public:
    /// Character codes covered: 0 to 127.
    static constexpr int count = 128;
    /// Glyph height in pixels.
    static constexpr int rows = 7;

    /// One glyph: a byte per row, top row first, the most significant bit the leftmost pixel.
    using Bitmap = std::array<unsigned char, rows>;

    /// Advance of character code c in pixels (the pen moves this far after drawing it);
    /// codes outside 0..127 advance 0.
    static int advance(int code);
    /// The bitmap of character code c (0..127); other codes give the empty bitmap.
    static const Bitmap& bitmap(int code);
    /// Whether pixel (x, y) of glyph c is set; x from the left, y from the top row.
    static bool pixel(int code, int x, int y);
    /// Whether glyph c has no pixel set (space, control codes): drawing it changes nothing.
    static bool blank(int code);

    /// The process-wide set, made on first use; its images are built by upload().
    static RasterGlyphs& shared();

    RasterGlyphs();
    ~RasterGlyphs();
    RasterGlyphs(const RasterGlyphs&) = delete;
    RasterGlyphs& operator=(const RasterGlyphs&) = delete;

    /// Builds the 128 glyph images the first time, then uploads each one whose texture does
    /// not exist for the open canvases (the first canvas, or the first after all had closed).
    /// Run at every canvas initialisation.
    void upload();
    /// Whether the images exist.
    bool built() const { return images[0] != nullptr; }
    /// The RGBA image of character code c (0..127): opaque black, alpha 1 on the glyph's
    /// pixels and 0 elsewhere. Only valid once built().
    Image& image(int code);

private:
    std::array<std::unique_ptr<Image>, count> images;
};

} // namespace Stimora
