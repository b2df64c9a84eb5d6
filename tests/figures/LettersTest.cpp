// Letters and Font without a canvas: descriptions, conversions and the uncached state.

#include <gtest/gtest.h>

#include <string>

#include "APIFontProperties.h"
#include "base/Exception.h"
#include "display/Color.h"
#include "figures/Colored.h"
#include "figures/Font.h"
#include "figures/Letters.h"

namespace Stimora {
namespace {

TEST(Font, DefaultFontIsTwentyPixelNormalUprightMSUIGothic) {
    const Font& f = Font::defaultFont();
    EXPECT_EQ(f.size, 20.0);
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.style, 0);
    ASSERT_EQ(f.families.size(), 1u);
    EXPECT_EQ(f.families[0], u"MS UI Gothic");
}

TEST(Font, DefaultFamilyNameStandsForTheDefaultFontsFamily) {
    const Font f(12, 0, 1, "default");
    EXPECT_EQ(f.size, 12.0);
    EXPECT_EQ(f.weight, 0);
    EXPECT_EQ(f.style, 1);
    ASSERT_EQ(f.families.size(), 1u);
    EXPECT_EQ(f.families[0], u"MS UI Gothic");
}

TEST(Font, OtherFamiliesAreKeptAsGiven) {
    EXPECT_EQ(Font(10, 700, 0, "DejaVu Serif").families, std::vector<std::u16string>{u"DejaVu Serif"});
    EXPECT_EQ(Font(10, 700, 0, L"Default").families, std::vector<std::u16string>{u"Default"});
    EXPECT_EQ(Font(10, 700, 0, std::u16string(u"x")).face(), u"x");
}

TEST(Font, EmptyDescriptionUsesTheFallbackFace) {
    const Font f;
    EXPECT_TRUE(f.families.empty());
    EXPECT_EQ(f.face(), u"MS UI Gothic");
}

TEST(FontText, Utf8RoundTripWithSurrogates) {
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // a, e-acute, euro, emoji
    const std::u16string utf16 = Font::utf16(utf8);
    ASSERT_EQ(utf16.size(), 5u);
    EXPECT_EQ(utf16[0], u'a');
    EXPECT_EQ(utf16[1], 0x00E9);
    EXPECT_EQ(utf16[2], 0x20AC);
    EXPECT_EQ(utf16[3], 0xD83D);
    EXPECT_EQ(utf16[4], 0xDE00);
    EXPECT_EQ(Font::utf8(utf16), utf8);
}

TEST(FontText, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(Font::utf16(std::string("\xFF"
                                      "a")),
              std::u16string(u"\xFFFD"
                             u"a"));
    EXPECT_EQ(Font::utf16(std::string("\xC3")), std::u16string(u"\xFFFD"));
    EXPECT_EQ(Font::utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(FontText, WideStringsBecomeUtf16CodeUnits) {
    EXPECT_EQ(Font::utf16(std::wstring(L"Vsync")), u"Vsync");
    EXPECT_EQ(Font::utf16(std::wstring(1, wchar_t(0x1F600))).size(), sizeof(wchar_t) == 4 ? 2u : 1u);
}

TEST(LettersWithoutCanvas, DefaultIsEmptyUncachedLeftAlignedInTheDefaultFont) {
    Letters l;
    EXPECT_TRUE(l.getString().empty());
    EXPECT_EQ(l.getFont().families, Font::defaultFont().families);
    EXPECT_EQ(l.getFont().size, 20.0);
    EXPECT_FALSE(l.isCached());
    EXPECT_EQ(l.alignment, 0);
    EXPECT_EQ(l.width, 0.0);
    EXPECT_EQ(l.getDatum(), Point(0, 0, 0));
}

TEST(LettersWithoutCanvas, ConstructionCopiesButDoesNotCache) {
    Letters l(u"abc", Font(30, 700, 0, "DejaVu Sans"));
    EXPECT_EQ(l.getString(), u"abc");
    EXPECT_EQ(l.getFont().weight, 700);
    EXPECT_FALSE(l.isCached());
    EXPECT_EQ(l.width, 0.0);
    l.cache(true); // no canvas: nothing, and no error
    EXPECT_FALSE(l.isCached());
}

TEST(LettersWithoutCanvas, DrawingGoesToTheDummyWhichRefuses) {
    Letters l(u"abc", Font::defaultFont());
    try {
        l.draw();
        FAIL() << "drawing before a canvas exists must be refused";
    } catch (Exception* e) {
        EXPECT_EQ(e->message(), "Canvas-dependent function was called before the instantiation of Canvas.");
        delete e;
    }
}

TEST(LettersWithoutCanvas, CenterAtSetsCentreAlignmentAndDatum) {
    Letters l;
    l.centerAt(Point(10, 20, 3));
    EXPECT_EQ(l.alignment, 1);
    EXPECT_EQ(l.getDatum(), Point(10, 20, 3));
    l.setDatum(Point(1, 2, 0));
    EXPECT_EQ(l.alignment, 1);
    l.centerAt(4, 5);
    EXPECT_EQ(l.getDatum(), Point(4, 5, 0));
}

TEST(LettersWithoutCanvas, SettersReplaceTextAndFont) {
    Letters l;
    l.setString(u"xyz", false);
    EXPECT_EQ(l.getString(), u"xyz");
    l.setString(L"wide", false);
    EXPECT_EQ(l.getString(), u"wide");
    Font f(33, 300, 1, "Serif");
    f.families.push_back(u"Other");
    l.setFont(f, false);
    EXPECT_EQ(l.getFont().size, 33.0);
    EXPECT_EQ(l.getFont().weight, 300);
    EXPECT_EQ(l.getFont().style, 1);
    EXPECT_EQ(l.getFont().families.size(), 2u);
}

TEST(ColoredLetters, BuiltFromAZeroTerminatedWideStringAndAFont) {
    Shape::Colored<Letters> text(L"Executing", Font(12, 400, 0, "default"));
    EXPECT_EQ(text.getString(), u"Executing");
    EXPECT_EQ(text.getFont().size, 12.0);
    EXPECT_EQ(text.fill, Color::null);
    EXPECT_EQ(text.stroke.width, 0.0);
    // Fill and stroke both null: nothing is drawn, so even the dummy is not asked.
    EXPECT_NO_THROW(text.draw());
}

TEST(GlyphCacheWithoutContext, BuildFailsWithTheFontMessageAndStaysUncached) {
    APIFontProperties cache;
    try {
        cache.build(u"abc", Font::defaultFont());
        FAIL() << "no OpenGL context: the lists cannot be made";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), "class Stimora::Exception [] Failed to load font.");
    }
    EXPECT_FALSE(cache.cached);
    EXPECT_EQ(cache.count, 0u);
    EXPECT_EQ(cache.indices, nullptr);
}

TEST(GlyphCacheWithoutContext, SharedIndexTableHoldsZeroToNinetyNine) {
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(APIFontProperties::sharedIndices[i], i);
}

TEST(FontLookup, AFamilyThatIsNotInstalledGetsTheBestMatch) {
    const std::string missing = APIFontProperties::matchFile("MS UI Gothic", 400, false);
    EXPECT_FALSE(missing.empty());
    EXPECT_EQ(missing, APIFontProperties::matchFile("No Such Family Anywhere", 400, false));
    EXPECT_NE(APIFontProperties::matchFile("DejaVu Sans", 400, false).find("DejaVu"), std::string::npos);
}

} // namespace
} // namespace Stimora
