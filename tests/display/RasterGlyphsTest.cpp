#include <gtest/gtest.h>

#include <set>
#include <string>

#include "display/RasterGlyphs.h"

namespace Stimora {
namespace {

// The advance widths, transcribed group by group from the narrow font's table.
int expectedAdvance(int code) {
    if (code == 9)
        return 15;
    if (code < 32 || code == 127)
        return 5;
    const std::string five = "!'(),-./:;<=>IJ[\\]^_`ijlt{|}";
    const std::string six = "cfr";
    const std::string nine = "MWmw";
    const char c = static_cast<char>(code);
    if (five.find(c) != std::string::npos)
        return 5;
    if (six.find(c) != std::string::npos)
        return 6;
    if (nine.find(c) != std::string::npos)
        return 9;
    return 7;
}

// The glyph as rows of '#' and '.', (advance - 1) columns wide.
std::string picture(int code) {
    std::string s;
    for (int y = 0; y < RasterGlyphs::rows; ++y) {
        for (int x = 0; x < RasterGlyphs::advance(code) - 1; ++x)
            s += RasterGlyphs::pixel(code, x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

TEST(RasterGlyphsTable, AdvanceOfEveryCode) {
    for (int code = 0; code < 128; ++code)
        EXPECT_EQ(RasterGlyphs::advance(code), expectedAdvance(code)) << "code " << code;
}

TEST(RasterGlyphsTable, SpotValues) {
    EXPECT_EQ(RasterGlyphs::advance(' '), 7);
    EXPECT_EQ(RasterGlyphs::advance('@'), 7);
    EXPECT_EQ(RasterGlyphs::advance('M'), 9);
    EXPECT_EQ(RasterGlyphs::advance('c'), 6);
    EXPECT_EQ(RasterGlyphs::advance('~'), 7);
    EXPECT_EQ(RasterGlyphs::advance(128), 0);
    EXPECT_EQ(RasterGlyphs::advance(-1), 0);
}

TEST(RasterGlyphsBitmaps, MostSignificantBitIsLeftmostAndFirstByteIsTop) {
    // 'L': a stem in the first column, a full bottom row of 5 pixels.
    const auto& l = RasterGlyphs::bitmap('L');
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(l[y], 0x80) << y;
    EXPECT_EQ(l[6], 0xF8);
    // '|': the middle of three columns, all seven rows.
    for (unsigned char b : RasterGlyphs::bitmap('|'))
        EXPECT_EQ(b, 0x40);
    EXPECT_EQ(picture('T'), "#####.\n..#...\n..#...\n..#...\n..#...\n..#...\n..#...\n");
}

TEST(RasterGlyphsBitmaps, EveryGlyphFitsItsWidthWithABlankLastColumn) {
    for (int code = 0; code < 128; ++code) {
        const int width = RasterGlyphs::advance(code) - 1;
        for (int y = 0; y < RasterGlyphs::rows; ++y) {
            const unsigned mask = width > 8 ? 0u : (0xFFu >> (width - 1)) & 0xFFu;
            EXPECT_EQ(RasterGlyphs::bitmap(code)[y] & mask, 0u) << "code " << code << " row " << y;
        }
    }
}

TEST(RasterGlyphsBitmaps, PrintableGlyphsAreDrawnAndDistinct) {
    std::set<RasterGlyphs::Bitmap> seen;
    for (int code = 33; code < 127; ++code) {
        const auto& b = RasterGlyphs::bitmap(code);
        int set = 0;
        for (unsigned char row : b)
            set += row != 0;
        EXPECT_GT(set, 0) << "code " << code << " is blank";
        EXPECT_TRUE(seen.insert(b).second) << "code " << code << " repeats another glyph";
    }
}

TEST(RasterGlyphsBitmaps, SpaceControlCodesAndDeleteAreBlank) {
    const RasterGlyphs::Bitmap blank{};
    EXPECT_EQ(RasterGlyphs::bitmap(' '), blank);
    EXPECT_EQ(RasterGlyphs::bitmap(127), blank);
    for (int code = 0; code < 32; ++code)
        EXPECT_EQ(RasterGlyphs::bitmap(code), blank) << code;
    EXPECT_EQ(RasterGlyphs::bitmap(200), blank);
}

TEST(RasterGlyphsBitmaps, BlankMeansNoPixelSet) {
    EXPECT_TRUE(RasterGlyphs::blank(' '));
    EXPECT_TRUE(RasterGlyphs::blank(9));
    EXPECT_TRUE(RasterGlyphs::blank(300));
    EXPECT_FALSE(RasterGlyphs::blank('.'));
    EXPECT_FALSE(RasterGlyphs::blank('~'));
}

TEST(RasterGlyphsBitmaps, PixelOutsideTheCellIsClear) {
    EXPECT_FALSE(RasterGlyphs::pixel('#', -1, 2));
    EXPECT_FALSE(RasterGlyphs::pixel('#', 8, 2));
    EXPECT_FALSE(RasterGlyphs::pixel('#', 1, 7));
    EXPECT_TRUE(RasterGlyphs::pixel('#', 1, 0));
}

TEST(RasterGlyphsBitmaps, LowerCaseStandsOnTheBottomRow) {
    for (char c : std::string("acegmnopqrsuvwxyz")) {
        EXPECT_EQ(RasterGlyphs::bitmap(c)[0], 0) << c;
        EXPECT_EQ(RasterGlyphs::bitmap(c)[1], 0) << c;
        EXPECT_NE(RasterGlyphs::bitmap(c)[6], 0) << c;
    }
}

} // namespace
} // namespace Stimora
