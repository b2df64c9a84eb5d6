#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "APIImageProperties.h"
#include "CanvasFixture.h"
#include "display/Canvas.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Rectangle.h"

using namespace Stimora;
using namespace Stimora::Testing;

namespace {

Color raw(double r, double g, double b, double a = 1.0) {
    return Color(Color::raw, r, g, b, a);
}

unsigned char byteOf(double c) {
    return static_cast<unsigned char>(c * 255.0 + 0.5);
}

/// A picture whose every pixel differs.
Image pattern(int width, int height, int layout, int precision = Image::BYTE) {
    Image image(width, height, layout, precision);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rawPix(x, y,
                         raw((x * 23 + 7) / 255.0, (y * 31 + 3) / 255.0, ((x + y) * 11) / 255.0,
                             (100 + 10 * x + y) / 255.0));
        }
    }
    return image;
}

/// The canvas pixels an opaque image is expected to leave at (left, top).
void expectShows(Canvas& canvas, const Image& image, int left, int top) {
    const std::vector<Rgba> shown = readPixels(canvas, left, top, image.getWidth(), image.getHeight());
    for (int y = 0; y < image.getHeight(); ++y) {
        for (int x = 0; x < image.getWidth(); ++x) {
            const Color c = image.getPix(x, y);
            const Rgba& p = shown[static_cast<std::size_t>(y) * image.getWidth() + x];
            EXPECT_EQ(p.r, byteOf(c.r)) << x << "," << y;
            EXPECT_EQ(p.g, byteOf(c.g)) << x << "," << y;
            EXPECT_EQ(p.b, byteOf(c.b)) << x << "," << y;
        }
    }
}

std::string tempPng(const std::string& name) {
    const char* dir = std::getenv("STIMORA_TEST_OUTPUT");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name + ".png";
}

} // namespace

using ImageDisplay = CanvasFixture;

TEST_F(ImageDisplay, UncachedDrawPutsTheTopLeftAtXY) {
    Image image = pattern(10, 6, Image::RGB);
    image.draw(20.0, 30.0, canvas());
    expectShows(canvas(), image, 20, 30);
    EXPECT_FALSE(at(19, 30).lit());
    EXPECT_FALSE(at(20, 36).lit());
}

TEST_F(ImageDisplay, CachedAndUncachedGiveTheSamePixels) {
    for (int layout : {Image::GRAY, Image::RGB, Image::RGBA}) {
        for (int precision : {Image::BYTE, Image::FLOAT}) {
            Image image = pattern(13, 7, layout, precision);
            canvas().clear(Color::black);
            image.draw(40.0, 50.0, canvas());
            const std::vector<Rgba> uncached = readPixels(canvas(), 40, 50, 13, 7);
            canvas().clear(Color::black);
            image.cache(true);
            ASSERT_TRUE(image.isCached());
            image.draw(40.0, 50.0, canvas());
            const std::vector<Rgba> cached = readPixels(canvas(), 40, 50, 13, 7);
            for (std::size_t i = 0; i < cached.size(); ++i) {
                EXPECT_TRUE(cached[i].sameColor(uncached[i]))
                    << "layout " << layout << " precision " << precision << " pixel " << i << ": "
                    << cached[i] << " vs " << uncached[i];
            }
            EXPECT_EQ(countLit(canvas(), 0, 0, 40, 240), 0); // nothing left of the image
        }
    }
}

TEST_F(ImageDisplay, TextureIsTheNextPowerOfTwo) {
    Image image(100, 50, Image::RGB, Image::BYTE);
    image.cache(true);
    ASSERT_NE(image.getProperties(), nullptr);
    EXPECT_EQ(image.getProperties()->textureWidth, 128);
    EXPECT_EQ(image.getProperties()->textureHeight, 64);
    const unsigned name = image.getProperties()->textureName;
    EXPECT_NE(name, 0u);
    image.rawPix(0, 0, raw(1, 1, 1));
    image.cache(true); // refresh keeps the texture
    EXPECT_EQ(image.getProperties()->textureName, name);
    image.setDatum(5, 5);
    image.draw(canvas());
    EXPECT_TRUE(at(5, 5).sameColor(Rgba{255, 255, 255, 255}));
    EXPECT_FALSE(at(6, 5).lit());
    image.cache(false);
    EXPECT_FALSE(image.isCached());
    Image tiny(1, 1, Image::GRAY, Image::BYTE);
    tiny.cache(true);
    EXPECT_EQ(tiny.getProperties()->textureWidth, 2);
    EXPECT_EQ(tiny.getProperties()->textureHeight, 2);
}

TEST_F(ImageDisplay, ImageOnTheBottomRowStillDraws) {
    Image image(8, 4, Image::RGB, Image::BYTE);
    image.clear(raw(0, 1, 0));
    image.draw(0.0, 236.0, canvas()); // last row 239
    EXPECT_TRUE(at(0, 239).sameColor(Rgba{0, 255, 0, 255}));
    EXPECT_TRUE(at(7, 236).sameColor(Rgba{0, 255, 0, 255}));
}

TEST_F(ImageDisplay, RgbaPixelsBlendOverTheBackground) {
    canvas().clear(raw(0, 0, 1));
    Image image(4, 4, Image::RGBA, Image::BYTE);
    image.clear(raw(1, 0, 0, 0.5));
    image.draw(10.0, 10.0, canvas());
    const Rgba p = at(11, 11);
    EXPECT_NEAR(p.r, 128, 1);
    EXPECT_EQ(p.g, 0);
    EXPECT_NEAR(p.b, 127, 1);
}

TEST_F(ImageDisplay, ConstantOpacityMixesWithWhatWasThere) {
    canvas().clear(raw(0, 0, 1));
    Image image(6, 6, Image::RGB, Image::BYTE);
    image.clear(raw(1, 0, 0));
    image.setDatum(30, 30);
    image.draw(0.25, canvas());
    const Rgba inside = at(32, 32);
    EXPECT_NEAR(inside.r, 64, 1);
    EXPECT_NEAR(inside.b, 191, 1);
    EXPECT_TRUE(at(29, 29).sameColor(Rgba{0, 0, 255, 255})); // the widened frame keeps its colour
    EXPECT_TRUE(at(40, 40).sameColor(Rgba{0, 0, 255, 255}));
    // Cached, the same.
    image.cache(true);
    canvas().clear(raw(0, 0, 1));
    image.draw(0.25, canvas());
    EXPECT_NEAR(at(32, 32).r, 64, 1);
    EXPECT_NEAR(at(32, 32).b, 191, 1);
}

TEST_F(ImageDisplay, CaptureSaveLoadRoundTripsExactly) {
    Image drawn = pattern(37, 21, Image::RGB);
    drawn.draw(50.0, 60.0, canvas());
    Image captured;
    canvas().capture(captured, Rectangle(50, 60, 86, 80));
    ASSERT_TRUE(captured.hasBitmap());
    EXPECT_EQ(captured.getWidth(), 37);
    EXPECT_EQ(captured.getHeight(), 21);
    EXPECT_EQ(captured.getLayout(), Image::RGB);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 37; ++x) {
            ASSERT_EQ(captured.getPix(x, y), drawn.getPix(x, y)) << x << "," << y;
        }
    }
    const std::string path = tempPng("capture");
    captured.save(path);
    Image loaded(path);
    ASSERT_EQ(loaded.getTotalBytes(), captured.getTotalBytes());
    EXPECT_EQ(std::memcmp(loaded.getBuffer(), captured.getBuffer(), captured.getTotalBytes()), 0);
    loaded.draw(100.0, 100.0, canvas());
    expectShows(canvas(), drawn, 100, 100);
}

TEST_F(ImageDisplay, CaptureIntoASmallerImageTakesTheCentre) {
    canvas().rect(Rectangle(100, 100, 109, 109), raw(1, 0, 0));
    canvas().rect(Rectangle(104, 104, 105, 105), raw(0, 1, 0));
    Image small(2, 2, Image::RGBA, Image::BYTE);
    canvas().capture(small, Rectangle(100, 100, 109, 109));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(small.getPix(x, y).g, 1.0) << x << "," << y;
            EXPECT_EQ(small.getPix(x, y).r, 0.0) << x << "," << y;
        }
    }
    Image grey(3, 1, Image::GRAY, Image::FLOAT);
    canvas().capture(grey, box(98, 104, 100, 104)); // black, black, red
    EXPECT_EQ(grey.getPix(0, 0).r, 0.0);
    EXPECT_EQ(grey.getPix(1, 0).r, 0.0);
    EXPECT_GT(grey.getPix(2, 0).r, 0.0);
}

TEST_F(ImageDisplay, ClippedGroupDrawsOnlyInside) {
    Rectangle big(0, 0, 319, 239);
    big.setColor(raw(1, 1, 1));
    Group group;
    group.append(big);
    group.setClip(Rectangle(10, 20, 109, 69));
    group.draw(canvas());
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 100 * 50);
    EXPECT_TRUE(at(10, 20).lit());
    EXPECT_TRUE(at(109, 69).lit());
    EXPECT_FALSE(at(9, 20).lit());
    EXPECT_FALSE(at(110, 69).lit());
    EXPECT_FALSE(at(10, 70).lit());
}

TEST_F(ImageDisplay, MaskedGroupFollowsTheMasksAlpha) {
    if (at(0, 0).a != 255) {
        GTEST_SKIP() << "the canvas has no destination alpha";
    }
    Image mask(30, 10, Image::RGBA, Image::BYTE);
    for (int x = 0; x < 30; ++x) {
        const double a = x < 10 ? 1.0 : x < 20 ? 0.5 : 0.0;
        for (int y = 0; y < 10; ++y) {
            mask.rawPix(x, y, raw(1, 1, 1, a)); // the mask's own colour never shows
        }
    }
    mask.setDatum(100, 100);
    Rectangle member(0, 0, 319, 239);
    member.setColor(raw(1, 0, 0));
    Group group;
    group.append(member);
    group.setMask(mask);
    canvas().clear(raw(0, 0, 1));
    group.draw(canvas());
    EXPECT_TRUE(at(105, 105).sameColor(Rgba{255, 0, 0, 0})) << at(105, 105);
    const Rgba half = at(115, 105);
    EXPECT_NEAR(half.r, 128, 1);
    EXPECT_NEAR(half.b, 127, 1);
    EXPECT_TRUE(at(125, 105).sameColor(Rgba{0, 0, 255, 0})) << at(125, 105);
    // Cached masks give the same.
    mask.cache(true);
    canvas().clear(raw(0, 0, 1));
    group.draw(canvas());
    EXPECT_TRUE(at(105, 105).sameColor(Rgba{255, 0, 0, 0}));
    EXPECT_NEAR(at(115, 105).r, 128, 1);
    EXPECT_TRUE(at(125, 105).sameColor(Rgba{0, 0, 255, 0}));
}

TEST_F(ImageDisplay, GroupRotatesAndScalesAboutItsDatum) {
    Rectangle bar = box(0, 0, 9, 0); // ten pixels to the right of the datum
    bar.setColor(raw(1, 1, 1));
    Group group;
    group.append(bar);
    group.datum = Point(100, 100, 0);
    group.angle = 90.0; // +x turns towards +y: the bar now runs down from the datum
    group.draw(canvas());
    EXPECT_EQ(countLit(canvas(), 99, 101, 1, 8), 8);
    EXPECT_EQ(countLit(canvas(), 101, 90, 20, 20), 0);
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 99), 0);

    canvas().clear(Color::black);
    Group scaled;
    Rectangle square(0, 0, 4, 4);
    square.setColor(raw(1, 1, 1));
    scaled.append(square);
    scaled.datum = Point(50, 60, 0);
    scaled.scaleX = 2.0;
    scaled.scaleY = 3.0;
    scaled.draw(canvas());
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 10 * 15);
    EXPECT_TRUE(at(50, 60).lit());
    EXPECT_TRUE(at(59, 74).lit());
    EXPECT_FALSE(at(60, 74).lit());

    canvas().clear(Color::black);
    Image picture(4, 2, Image::RGB, Image::BYTE);
    picture.clear(raw(0, 1, 0));
    picture.cache(true);
    Group images;
    images.append(picture);
    images.datum = Point(200, 100, 0);
    images.scaleX = 2.0;
    images.scaleY = 2.0;
    images.draw(canvas()); // a cached image follows the group's transform
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 8 * 4);
    EXPECT_TRUE(at(200, 100).lit());
    EXPECT_TRUE(at(207, 103).lit());
}
