// Outline text on a real canvas: glyph caches, placement by alignment, the wide-text message
// cache and the canvas's vsync warning.

#include "CanvasFixture.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "APIFontProperties.h"
#include "base/Exception.h"
#include "figures/Colored.h"
#include "figures/Letters.h"
#include "figures/Rectangle.h"

namespace Stimora::Testing {
namespace {

// Bounding box of the lit pixels of the whole canvas; left > right when nothing is lit.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < left; }
    double centerX() const { return (left + right) / 2.0; }
};

Box litBox(Canvas& canvas) {
    const int w = canvas.getWidth(), h = canvas.getHeight();
    const std::vector<Rgba> pixels = readPixels(canvas, 0, 0, w, h);
    Box box;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pixels[static_cast<std::size_t>(y * w + x)].lit()) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

const Font sans(40, 0, 0, "DejaVu Sans");
const Color opaqueWhite(Color::raw, 1, 1, 1, 1);

// Number of display-list names in use among the first few thousand.
int liveLists() {
    int n = 0;
    for (GLuint name = 1; name < 6000; ++name)
        n += glIsList(name) == GL_TRUE;
    return n;
}

using LettersDisplay = CanvasFixture;

TEST_F(LettersDisplay, CachedAtConstructionWithItsExtentInPixels) {
    Letters hello(u"Hello", sans);
    ASSERT_TRUE(hello.isCached());
    EXPECT_EQ(hello.glyphCache->count, 5u);
    EXPECT_EQ(hello.width, hello.glyphCache->width * 40.0);
    EXPECT_EQ(hello.height, hello.glyphCache->height * 40.0);
    // Five glyphs of a sans face: a little over half an em each; capitals about 0.73 em tall.
    EXPECT_GT(hello.width, 80.0);
    EXPECT_LT(hello.width, 140.0);
    EXPECT_GT(hello.height, 25.0);
    EXPECT_LT(hello.height, 40.0);
}

TEST_F(LettersDisplay, GlyphsRiseFromTheDatumOnTheBaseline) {
    Letters hello(u"Hello", sans);
    hello.setDatum(Point(20, 100));
    hello.draw(opaqueWhite, canvas());
    const Box box = litBox(canvas());
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, 20);
    EXPECT_LE(box.right, 20 + hello.width);
    EXPECT_LE(box.bottom, 100);
    EXPECT_GE(box.bottom, 98);
    EXPECT_GE(box.top, 100 - hello.height - 1);
}

TEST_F(LettersDisplay, FillColourIsExactInsideTheGlyphs) {
    Letters bar(u"I", Font(120, 0, 0, "DejaVu Sans"));
    bar.setDatum(Point(100, 200));
    bar.draw(Color(Color::raw, 1, 0, 0, 1), canvas());
    const Box box = litBox(canvas());
    ASSERT_FALSE(box.empty());
    EXPECT_EQ(at(static_cast<int>(box.centerX()), (box.top + box.bottom) / 2), (Rgba{255, 0, 0, 255}));
}

TEST_F(LettersDisplay, AlignmentShiftsByTheMeasuredWidth) {
    Letters hello(u"Hello", sans);
    hello.setDatum(Point(160, 120));
    hello.draw(opaqueWhite, canvas());
    const int left = litBox(canvas()).left;

    canvas().clear(Color::black);
    hello.draw(opaqueWhite, 2, canvas());
    EXPECT_EQ(hello.alignment, 0) << "a one-off alignment is restored";
    EXPECT_NEAR(litBox(canvas()).left, left - hello.width, 1.0);

    canvas().clear(Color::black);
    hello.draw(opaqueWhite, 1, canvas());
    EXPECT_NEAR(litBox(canvas()).left, left - hello.width / 2, 1.0);

    canvas().clear(Color::black);
    hello.draw(opaqueWhite, 7, canvas()); // unknown values act as left
    EXPECT_EQ(litBox(canvas()).left, left);
}

TEST_F(LettersDisplay, CenterAtCentresTheTextOnThePoint) {
    Letters word(u"mom", sans);
    word.centerAt(Point(160, 120, 0));
    EXPECT_EQ(word.getDatum(), Point(160, 120, 0));
    EXPECT_EQ(word.alignment, 1);
    word.draw(canvas());
    const Box box = litBox(canvas());
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.centerX(), 160.0, 3.0);
    EXPECT_LE(box.bottom, 120);
}

TEST_F(LettersDisplay, DrawingUncachedLettersRaisesTheDeveloperMessage) {
    Letters text(u"abc", sans);
    text.setString(u"abd", false);
    EXPECT_FALSE(text.isCached());
    try {
        text.draw(canvas());
        FAIL() << "uncached letters must not draw";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(),
                  "class Stimora::Exception [] Please ask to developpers to implement drawing uncached "
                  "Letters.");
    }
    text.cache(true);
    EXPECT_NO_THROW(text.draw(canvas()));
    EXPECT_GT(countLit(canvas(), 0, 0, 320, 240), 0);
}

TEST_F(LettersDisplay, AHundredCodeUnitsShareTheIndexTableAHundredAndOneOwnTheirs) {
    Letters hundred(std::u16string(100, u'x'), Font(8, 0, 0, "DejaVu Sans"));
    ASSERT_TRUE(hundred.isCached());
    EXPECT_EQ(hundred.glyphCache->count, 100u);
    EXPECT_EQ(hundred.glyphCache->indices, APIFontProperties::sharedIndices);

    Letters more(std::u16string(101, u'x'), Font(8, 0, 0, "DejaVu Sans"));
    ASSERT_TRUE(more.isCached());
    const APIFontProperties& cache = *more.glyphCache;
    EXPECT_EQ(cache.count, 101u);
    EXPECT_NE(cache.indices, APIFontProperties::sharedIndices);
    for (unsigned i = 0; i < 101; ++i)
        EXPECT_EQ(cache.indices[i], i);
    const GLuint base = cache.listBase;
    EXPECT_TRUE(glIsList(base + 100));

    more.cache(false);
    EXPECT_FALSE(cache.cached);
    EXPECT_EQ(cache.count, 0u);
    EXPECT_EQ(cache.indices, nullptr);
    EXPECT_EQ(cache.listBase, 0u);
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 100));
}

TEST_F(LettersDisplay, DestroyingLettersDeletesTheirLists) {
    auto text = std::make_unique<Letters>(u"gone", sans);
    const GLuint base = text->glyphCache->listBase;
    ASSERT_TRUE(glIsList(base));
    text.reset();
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 3));
}

TEST_F(LettersDisplay, EmptyTextCachesWithNoListsAndDrawsNothing) {
    Letters empty(u"", sans);
    ASSERT_TRUE(empty.isCached());
    EXPECT_EQ(empty.glyphCache->count, 0u);
    EXPECT_EQ(empty.width, 0.0);
    EXPECT_NO_THROW(empty.draw(canvas()));
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 0);
}

TEST_F(LettersDisplay, ReplacingTheStringRebuildsTheExtent) {
    Letters text(u"i", sans);
    const double narrow = text.width;
    text.setString(u"WWW");
    ASSERT_TRUE(text.isCached());
    EXPECT_EQ(text.glyphCache->count, 3u);
    EXPECT_GT(text.width, 5 * narrow);
    text.setFont(Font(80, 0, 0, "DejaVu Sans"), true);
    EXPECT_NEAR(text.width, text.glyphCache->width * 80.0, 1e-9);
}

TEST_F(LettersDisplay, CopiesGetTheirOwnCache) {
    Letters original(u"copy", sans);
    Letters copy(original);
    ASSERT_TRUE(copy.isCached());
    EXPECT_NE(copy.glyphCache.get(), original.glyphCache.get());
    EXPECT_NE(copy.glyphCache->listBase, original.glyphCache->listBase);
    EXPECT_EQ(copy.width, original.width);
}

TEST_F(LettersDisplay, ItalicStyleSlantsTheGlyphs) {
    // "default" is not installed here: the best match is used, with a synthetic slant.
    const Font italic(12, 0, 1, "default");
    EXPECT_EQ(italic.families[0], u"MS UI Gothic");
    auto stemShift = [&](int style) {
        canvas().clear(Color::black);
        Letters l(u"l", Font(150, 0, style, "default"));
        l.setDatum(Point(100, 200));
        l.draw(canvas());
        const Box box = litBox(canvas());
        auto rowCentre = [&](int y) {
            int first = -1, last = -1;
            const std::vector<Rgba> row = readPixels(canvas(), 0, y, 320, 1);
            for (int x = 0; x < 320; ++x)
                if (row[static_cast<std::size_t>(x)].lit()) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            return (first + last) / 2.0;
        };
        return rowCentre(box.top + 5) - rowCentre(box.bottom - 5);
    };
    EXPECT_NEAR(stemShift(0), 0.0, 1.0);
    EXPECT_GT(stemShift(1), 10.0);
}

TEST_F(LettersDisplay, ColoredLettersFillThenStroke) {
    Shape::Colored<Letters> text(L"Fill", sans);
    text.setDatum(Point(20, 100));
    text.draw(canvas());
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 0) << "null fill and stroke draw nothing";

    text.stroke = Stroke(Color(Color::raw, 0, 1, 0, 1), 2.0);
    text.draw(canvas());
    const int green = countPixels(canvas(), 0, 0, 320, 240, Rgba{0, 255, 0, 255});
    EXPECT_GT(green, 100) << "text has no outline: a stroke fills in its colour";

    text.fill = Color(Color::raw, 0, 0, 1, 1);
    canvas().clear(Color::black);
    text.stroke = Stroke::null;
    text.draw(canvas());
    EXPECT_EQ(countPixels(canvas(), 0, 0, 320, 240, Rgba{0, 0, 255, 255}), green);
}

TEST_F(LettersDisplay, WideMessageDrawsTheDefaultFontAtThePoint) {
    EXPECT_EQ(canvas().message(u"Wide", 40, 80, opaqueWhite), 1);
    const std::vector<Rgba> fromMessage = readPixels(canvas(), 0, 0, 320, 240);
    canvas().clear(Color::black);
    Letters same(u"Wide", Font::defaultFont());
    same.setDatum(Point(40, 80));
    same.draw(opaqueWhite, canvas());
    EXPECT_TRUE(readPixels(canvas(), 0, 0, 320, 240) == fromMessage);
    EXPECT_GT(countLit(canvas(), 0, 0, 320, 240), 20);

    canvas().clear(Color::black);
    EXPECT_EQ(canvas().message(u"Wide", 200, 80, opaqueWhite, 2), 1);
    const Box box = litBox(canvas());
    EXPECT_LE(box.right, 200);
    EXPECT_GE(box.right, 190);
}

TEST_F(LettersDisplay, WideMessageCacheKeepsAtMostTenTexts) {
    canvas().message(u"warm-up", 10, 50, opaqueWhite); // the cache may hold older texts
    const int before = liveLists();
    std::u16string text = u"text #";
    for (char16_t i = 0; i < 30; ++i)
        canvas().message((text + char16_t(u'A' + i)).c_str(), 10, 50, opaqueWhite);
    // Every text is 7 code units; ten of them at most stay, the warm-up text among the dropped.
    EXPECT_LE(liveLists() - before, 10 * 7);
    // The most recent texts are still drawn at once; older ones are simply rebuilt.
    canvas().clear(Color::black);
    EXPECT_EQ(canvas().message((text + u'A').c_str(), 10, 50, opaqueWhite), 1);
    EXPECT_GT(countLit(canvas(), 0, 0, 320, 240), 0);
}

TEST_F(LettersDisplay, VsyncWarningWhenSwapsAreNotLockedToTheRefresh) {
    // The virtual display cannot lock swaps to a refresh: the canvas warns on every frame.
    Shape::Colored<Rectangle>* bar = nullptr;
    Shape::Colored<Letters>* text = nullptr;
    for (Figure* f : canvas().overlay) {
        if (auto* r = dynamic_cast<Shape::Colored<Rectangle>*>(f); r && !bar)
            bar = r;
        if (auto* l = dynamic_cast<Shape::Colored<Letters>*>(f))
            text = l;
    }
    if (!bar)
        GTEST_SKIP() << "swaps are locked to the refresh on this display";
    ASSERT_NE(text, nullptr);
    EXPECT_LT(std::find(canvas().overlay.begin(), canvas().overlay.end(), static_cast<Figure*>(bar)),
              std::find(canvas().overlay.begin(), canvas().overlay.end(), static_cast<Figure*>(text)));
    EXPECT_EQ(text->getString(), u"Executing without synchronization with Monitor Vsync");
    EXPECT_EQ(text->getFont().size, 12.0);
    EXPECT_EQ(text->getFont().weight, 400);
    EXPECT_EQ(text->getFont().style, 0);
    EXPECT_EQ(text->getFont().families, Font::defaultFont().families);
    EXPECT_EQ(text->fill, Color(1.0, 1.0, 1.0, 1.0));
    EXPECT_EQ(text->alignment, 1);
    const Point d = bar->getDatum();
    EXPECT_EQ(text->getDatum(), Point(d.x, d.y + 5, 0));
    EXPECT_TRUE(text->isCached());

    bar->draw(canvas());
    text->draw(canvas());
    const int top = static_cast<int>(bar->top), left = static_cast<int>(bar->left);
    EXPECT_GT(countPixels(canvas(), left, top, 600, 20, Rgba{255, 255, 255, 255}), 50);
    EXPECT_GT(countPixels(canvas(), left, top, 600, 20, Rgba{255, 0, 0, 255}), 5000);
    saveBackBuffer(canvas(), "vsync_warning");
}

TEST_F(LettersDisplay, SampleOfOutlineTextInTwoSizes) {
    Letters small(u"Stimora outline text 14 px: The quick brown fox.", Font(14, 0, 0, "default"));
    small.setDatum(Point(4, 30));
    small.draw(opaqueWhite, canvas());
    Letters large(u"Large 40 px", Font(40, 700, 0, "default"));
    large.setDatum(Point(4, 100));
    large.draw(Color(Color::raw, 1, 1, 0, 1), canvas());
    Letters slanted(u"Italic 28 px", Font(28, 0, 1, "DejaVu Serif"));
    slanted.setDatum(Point(4, 150));
    slanted.draw(Color(Color::raw, 0, 1, 1, 1), canvas());
    EXPECT_FALSE(saveBackBuffer(canvas(), "outline_text").empty());
}

} // namespace
} // namespace Stimora::Testing
