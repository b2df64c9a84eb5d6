// The canvas's 8-bit message: the built-in 7-pixel glyphs, wrapping, line breaks, alignment
// and the alpha fade, read back pixel by pixel.

#include "CanvasFixture.h"

#include <string>
#include <utility>
#include <vector>

#include "display/RasterGlyphs.h"
#include "figures/Image.h"

namespace Stimora::Testing {
namespace {

const Color white(Color::raw, 1, 1, 1, 1);

// The lit columns of one row, as '#' and '.'.
std::string row(Canvas& canvas, int left, int y, int width) {
    std::string s;
    for (const Rgba& p : readPixels(canvas, left, y, width, 1))
        s += p.lit() ? '#' : '.';
    return s;
}

// Leftmost lit column within rows top..top+6, or -1.
int leftmostLit(Canvas& canvas, int top) {
    const int w = canvas.getWidth();
    const std::vector<Rgba> pixels = readPixels(canvas, 0, top, w, RasterGlyphs::rows);
    int best = -1;
    for (int y = 0; y < RasterGlyphs::rows; ++y)
        for (int x = 0; x < w; ++x)
            if (pixels[static_cast<std::size_t>(y * w + x)].lit() && (best < 0 || x < best))
                best = x;
    return best;
}

using Message = CanvasFixture;

TEST_F(Message, GlyphImagesAreBuiltAndCachedAtInitialisation) {
    RasterGlyphs& glyphs = RasterGlyphs::shared();
    ASSERT_TRUE(glyphs.built());
    for (int code = 0; code < 128; ++code) {
        Image& image = glyphs.image(code);
        EXPECT_EQ(image.getWidth(), RasterGlyphs::advance(code) - 1) << code;
        EXPECT_EQ(image.getHeight(), 7);
        EXPECT_EQ(image.getLayout(), Image::RGBA);
        EXPECT_EQ(image.getPrecision(), Image::BYTE);
        EXPECT_TRUE(image.isCached());
    }
    Image& a = glyphs.image('A');
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x) {
            const Color c = a.getPix(x, y);
            EXPECT_EQ(c.r + c.g + c.b, 0.0);
            EXPECT_EQ(c.a, RasterGlyphs::pixel('A', x, y) ? 1.0 : 0.0) << x << "," << y;
        }
}

TEST_F(Message, OneGlyphLandsThreePixelsRightOfXOnTheLineAboveY) {
    EXPECT_EQ(canvas().message("A", 100, 50, white), 1);
    // The line box runs from y - 8 to y; the glyph fills its top 7 rows from x + 3.
    EXPECT_EQ(row(canvas(), 96, 42, 16), "........###.....");
    EXPECT_EQ(row(canvas(), 96, 43, 16), ".......#...#....");
    EXPECT_EQ(row(canvas(), 96, 45, 16), ".......#####....");
    EXPECT_EQ(row(canvas(), 96, 48, 16), ".......#...#....");
    EXPECT_EQ(row(canvas(), 96, 49, 16), "................");
    EXPECT_EQ(row(canvas(), 96, 41, 16), "................");
    EXPECT_EQ(at(104, 42), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 18);
}

TEST_F(Message, OpaqueColourIsExactAndTheBoxElsewhereKeepsTheBackground) {
    const Color gray(Color::raw, 0.2, 0.2, 0.2, 1);
    canvas().clear(gray);
    canvas().message("H", 20, 30, Color(Color::raw, 0, 1, 0, 1));
    EXPECT_TRUE(at(23, 22).sameColor(Rgba{0, 255, 0, 255}));
    EXPECT_TRUE(at(24, 22).sameColor(Rgba{51, 51, 51, 255}));
    EXPECT_TRUE(at(19, 30).sameColor(Rgba{51, 51, 51, 255}));
}

TEST_F(Message, TranslucentColourFadesThroughTheGlyphs) {
    canvas().clear(Color(Color::raw, 0.2, 0.2, 0.2, 1));
    canvas().message("H", 20, 30, Color(Color::raw, 1, 0, 0, 0.5));
    // alpha 0.5 -> 128 / 255: 255 x 128/255 + 51 x 127/255 = 153.4 in red, 25.4 in the others.
    const Rgba glyph = at(23, 22);
    EXPECT_NEAR(glyph.r, 153, 1);
    EXPECT_NEAR(glyph.g, 25, 1);
    EXPECT_NEAR(glyph.b, 25, 1);
    EXPECT_TRUE(at(24, 22).sameColor(Rgba{51, 51, 51, 255}));
}

TEST_F(Message, AlignmentPlacesTheLineByItsAdvanceSum) {
    canvas().message("H", 100, 50, white, 0);
    EXPECT_EQ(leftmostLit(canvas(), 42), 103);
    canvas().clear(Color::black);
    canvas().message("H", 100, 50, white, 1); // x - 7 / 2 + 3
    EXPECT_EQ(leftmostLit(canvas(), 42), 100);
    canvas().clear(Color::black);
    canvas().message("H", 100, 50, white, 2); // x - 7 + 3
    EXPECT_EQ(leftmostLit(canvas(), 42), 96);
    canvas().clear(Color::black);
    canvas().message("H", 100, 50, white, 9); // other codes start at x
    EXPECT_EQ(leftmostLit(canvas(), 42), 103);
}

TEST_F(Message, LinesBreakAtCarriageReturnAndLineFeed) {
    EXPECT_EQ(canvas().message("a\r\nb", 10, 20, white), 2);
    EXPECT_GT(countLit(canvas(), 0, 12, 320, 7), 0);
    EXPECT_GT(countLit(canvas(), 0, 20, 320, 7), 0);
    EXPECT_EQ(leftmostLit(canvas(), 20), 13);
    EXPECT_EQ(canvas().message("a\nb\rc", 10, 100, white), 3);
    EXPECT_EQ(canvas().message("a\r\n", 10, 150, white), 1);
    EXPECT_EQ(canvas().message("\r\n\r\n", 10, 150, white), 2);
    EXPECT_EQ(canvas().message("", 10, 150, white), 0);
    EXPECT_EQ(canvas().message(std::string("x\ny"), 10, 150, white), 2);
}

TEST_F(Message, TheCharacterThatReachesTheWrapWidthIsStillTaken) {
    // Widths 7: 7 < 20, 14 < 20, 21 reached: three glyphs a line, then 3, 3, 1.
    EXPECT_EQ(canvas().message("AAAAAAAAAA", 10, 20, white, 0, 20), 4);
    EXPECT_EQ(row(canvas(), 13, 15, 22), "#####..#####..#####...");
    EXPECT_EQ(row(canvas(), 13, 15 + 24, 22), "#####" + std::string(17, '.'));
    EXPECT_EQ(countLit(canvas(), 0, 20 + 24, 320, 40), 0);
}

TEST_F(Message, WrapWidthDefaultsToTheRoomTowardsTheEdge) {
    const int w = canvas().getWidth();
    EXPECT_EQ(canvas().message("AAA", w - 10, 20, white), 2);         // starting: width - x = 10
    EXPECT_EQ(canvas().message("AAAA", 15, 60, white, 2), 2);         // ending: x = 15
    EXPECT_EQ(canvas().message("AAAAA", 10, 100, white, 1), 2);       // centred: 2 x 10
    EXPECT_EQ(canvas().message("AAAAA", w - 10.5, 140, white, 1), 2); // 2 x trunc(10.5)
}

TEST_F(Message, NoRoomToWrapDrawsNothingAndReturnsZero) {
    const int w = canvas().getWidth();
    EXPECT_EQ(canvas().message("AB", w, 50, white), 0);
    EXPECT_EQ(canvas().message("AB", w + 40, 50, white), 0);
    EXPECT_EQ(canvas().message("AB", 0, 50, white, 2), 0);
    EXPECT_EQ(canvas().message("AB", -5, 50, white, 2), 0);
    EXPECT_EQ(canvas().message("AB", 0, 50, white, 1), 0);
    EXPECT_EQ(canvas().message("AB", w, 50, white, 1), 0);
    EXPECT_EQ(countLit(canvas(), 0, 0, w, canvas().getHeight()), 0);
    // A given width wins over the edge.
    EXPECT_EQ(canvas().message("AB", w, 50, white, 0, 100), 1);
}

TEST_F(Message, BytesAbove127AreSkippedWithoutAdvancing) {
    canvas().message("AB", 10, 20, white);
    const std::vector<Rgba> plain = readPixels(canvas(), 0, 0, 80, 30);
    canvas().clear(Color::black);
    canvas().message("A\xE9\xFF"
                     "B",
                     10, 20, white);
    EXPECT_TRUE(readPixels(canvas(), 0, 0, 80, 30) == plain);
}

TEST_F(Message, TabAdvancesFifteenPixels) {
    canvas().message("A\tB", 10, 20, white);
    EXPECT_EQ(row(canvas(), 13, 12, 30),
              "." + std::string(3, '#') + std::string(18, '.') + "####" + std::string(4, '.'));
}

// ---------------------------------------------------------------- wide text (outline font)

// Leftmost and rightmost lit columns of an area, or -1.
std::pair<int, int> litColumns(Canvas& canvas, int left, int top, int width, int height) {
    const std::vector<Rgba> pixels = readPixels(canvas, left, top, width, height);
    int first = -1, last = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<std::size_t>(y * width + x)].lit()) {
                first = first < 0 || x < first ? x : first;
                last = x > last ? x : last;
            }
    return {first < 0 ? -1 : left + first, last < 0 ? -1 : left + last};
}

TEST_F(Message, WideTextIsDrawnInTheDefaultFontOnItsBaseline) {
    EXPECT_EQ(canvas().message(u"Wide", 40, 100, white), 1);
    // Size 20 with the baseline at y: the glyphs stand above y and start near x.
    EXPECT_GT(countLit(canvas(), 30, 80, 100, 21), 40);
    EXPECT_EQ(countLit(canvas(), 0, 103, 320, 137), 0);
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 75), 0);
    const auto [left, right] = litColumns(canvas(), 0, 75, 320, 28);
    EXPECT_GE(left, 40);
    EXPECT_LT(left, 44);
    EXPECT_EQ(canvas().message(u"", 40, 100, white), 0);
}

TEST_F(Message, WideTextAlignsOnX) {
    canvas().message(u"Wide", 40, 100, white);
    const auto [left, right] = litColumns(canvas(), 0, 75, 320, 28);
    canvas().clear(Color::black);
    canvas().message(u"Wide", 200, 100, white, 2); // ending at 200: moved by 160 - width
    const auto [endLeft, endRight] = litColumns(canvas(), 0, 75, 320, 28);
    canvas().clear(Color::black);
    canvas().message(u"Wide", 200, 100, white, 1); // centred on 200: moved by 160 - width / 2
    const auto [midLeft, midRight] = litColumns(canvas(), 0, 75, 320, 28);
    const int endShift = endLeft - left, midShift = midLeft - left;
    // The text width is fractional: each edge may round to a neighbouring pixel.
    EXPECT_NEAR(endRight - right, endShift, 1);
    EXPECT_NEAR(midRight - right, midShift, 1);
    EXPECT_LT(endShift, midShift);
    EXPECT_NEAR(2 * midShift - endShift, 160, 2);
    EXPECT_LE(endRight, 200);
}

TEST_F(Message, WideTextCacheKeepsAtMostTenAndNeverDropsTheTextDrawn) {
    canvas().message(u"A0", 20, 40, white);
    const std::vector<Rgba> first = readPixels(canvas(), 0, 0, 100, 60);
    // Eleven more texts push "A0" out of the ten-entry cache; each is drawn as it is added.
    const char16_t* texts[11] = {u"B1", u"C2", u"D3", u"E4",  u"F5", u"G6",
                                 u"H7", u"I8", u"J9", u"K10", u"L11"};
    for (const char16_t* text : texts) {
        canvas().clear(Color::black);
        canvas().message(text, 20, 40, white);
        EXPECT_GT(countLit(canvas(), 0, 0, 100, 60), 20) << "the newest text is drawn";
    }
    // Made afresh, it draws exactly as before; a cached one draws again the same way.
    canvas().clear(Color::black);
    canvas().message(u"A0", 20, 40, white);
    EXPECT_TRUE(readPixels(canvas(), 0, 0, 100, 60) == first);
    canvas().clear(Color::black);
    canvas().message(u"A0", 20, 40, white);
    EXPECT_TRUE(readPixels(canvas(), 0, 0, 100, 60) == first);
    // The free function draws on the current canvas through the same cache.
    canvas().clear(Color::black);
    message(u"A0", 20, 40, white);
    EXPECT_TRUE(readPixels(canvas(), 0, 0, 100, 60) == first);
}

TEST_F(Message, SampleOfEveryPrintableGlyph) {
    std::string line;
    int y = 20;
    for (int code = 32; code < 127; ++code) {
        line += static_cast<char>(code);
        if (line.size() == 24 || code == 126) {
            canvas().message(line, 6, y, white);
            y += 12;
            line.clear();
        }
    }
    canvas().message("The quick brown fox jumps over the lazy dog.", 6, y + 12, white);
    canvas().message("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG!", 6, y + 24, white);
    canvas().message("Bar Interval  Eccentricity  0.05  -1  140", 6, y + 36,
                     Color(Color::raw, 0.7, 0.7, 0.7, 1));
    canvas().message("Centred at 160", 160, y + 60, Color(Color::raw, 1, 1, 0, 1), 1);
    EXPECT_FALSE(saveBackBuffer(canvas(), "raster_glyphs").empty());
}

} // namespace
} // namespace Stimora::Testing
