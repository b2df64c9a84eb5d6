#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "base/Exception.h"
#include "figures/Image.h"
#include "math/Matrix.h"

#include "ExpectException.h"

using namespace Stimora;
using Stimora::Testing::errorOf;

namespace {

/// The message of a pointer-thrown Exception ("" when none is thrown).
template <class F> std::string pointerErrorOf(F&& f) {
    try {
        f();
    } catch (Exception* e) {
        const std::string text = e->message();
        delete e;
        return text;
    }
    return "";
}

Color raw(double r, double g, double b, double a = 1.0) {
    return Color(Color::raw, r, g, b, a);
}

const std::string outOfBound =
    "class Stimora::Image [Out Of Bound Exception] Specified coordinate is out of bound.";

} // namespace

// ---- storage

TEST(ImageStorage, RgbByteRowsArePaddedToFourBytes) {
    Image image(3, 2, Image::RGB, Image::BYTE);
    EXPECT_EQ(image.getBytesPerPixel(), 3);
    EXPECT_EQ(image.getBytesPerRow(), 12);
    EXPECT_EQ(image.getTotalBytes(), 24u);
    EXPECT_EQ(image.getElementsPerRow(), 12);
    EXPECT_EQ(image.getTotalElements(), 24u);
}

TEST(ImageStorage, GrayByteRowOfTwoPixelsTakesFourBytes) {
    Image image(2, 2, Image::GRAY, Image::BYTE);
    EXPECT_EQ(image.getBytesPerRow(), 4);
    EXPECT_EQ(image.getTotalBytes(), 8u);
}

TEST(ImageStorage, FloatRgbaCountsElementsNotBytes) {
    Image image(3, 5, Image::RGBA, Image::FLOAT);
    EXPECT_EQ(image.getBytesPerPixel(), 16);
    EXPECT_EQ(image.getBytesPerRow(), 48);
    EXPECT_EQ(image.getElementsPerRow(), 12);
    EXPECT_EQ(image.getTotalElements(), 60u);
    EXPECT_EQ(image.getTotalBytes(), 240u);
}

TEST(ImageStorage, ThreeArgumentFormIsRgbOfThatPrecision) {
    Image image(4, 4, Image::FLOAT);
    EXPECT_EQ(image.getLayout(), Image::RGB);
    EXPECT_EQ(image.getPrecision(), Image::FLOAT);
    Image fromRect(Rectangle(10, 20, 14, 22), Image::GRAY, Image::BYTE);
    EXPECT_EQ(fromRect.getWidth(), 5);
    EXPECT_EQ(fromRect.getHeight(), 3);
}

TEST(ImageStorage, NewBitmapIsOpaqueBlackAndAreaCoversIt) {
    Image image(5, 4, Image::RGBA, Image::BYTE);
    EXPECT_EQ(image.getPix(4, 3), raw(0, 0, 0, 1));
    EXPECT_EQ(image.getArea().left, 0.0);
    EXPECT_EQ(image.getArea().right, 4.0);
    EXPECT_EQ(image.getArea().bottom, 3.0);
    EXPECT_EQ(image.getRect().right, 4.0);
}

TEST(ImageStorage, TopUserRowIsTheLastStoredRow) {
    Image image(2, 3, Image::RGB, Image::BYTE);
    image.rawPix(1, 0, raw(1, 0, 0));
    const auto* bytes = static_cast<const unsigned char*>(image.getBuffer());
    const std::size_t offset = 2 * 8 + 3; // stored row 2 (of 0..2), pixel 1
    EXPECT_EQ(bytes[offset], 255);
    EXPECT_EQ(bytes[offset + 1], 0);
    EXPECT_EQ(image.getPix(1, 0), raw(1, 0, 0));
}

TEST(ImageStorage, SetChecksInOrder) {
    Image image(2, 2, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.set(2, 2, Image::BYTE); }),
              "class Stimora::Image [Memory Error] Image object already has its bitmap.");
    Image empty;
    EXPECT_EQ(errorOf([&] { empty.set(0, 5, Image::RGB, Image::BYTE); }),
              "class Stimora::Image [FORMAT ERROR] The specified width is illegal");
    EXPECT_EQ(errorOf([&] { empty.set(5, -1, Image::RGB, Image::BYTE); }),
              "class Stimora::Image [FORMAT ERROR] The specified height is illegal");
    EXPECT_EQ(errorOf([&] { empty.set(5, 5, 3, Image::BYTE); }),
              "class Stimora::Image [FORMAT ERROR] The specified pixel component is illegal");
    EXPECT_EQ(errorOf([&] { empty.set(5, 5, Image::RGB, 2); }),
              "class Stimora::Image [FORMAT ERROR] The specified precision is illegal");
    EXPECT_FALSE(empty.hasBitmap());
}

TEST(ImageStorage, ReleaseForgetsEverything) {
    Image image(6, 6, Image::RGBA, Image::FLOAT);
    image.release();
    EXPECT_FALSE(image.hasBitmap());
    EXPECT_FALSE(image.isCached());
    EXPECT_EQ(image.getWidth(), 0);
    EXPECT_EQ(image.getHeight(), 0);
    EXPECT_EQ(image.getLayout(), Image::RGB);
    EXPECT_EQ(image.getPrecision(), Image::BYTE);
    EXPECT_EQ(image.getProperties(), nullptr);
    EXPECT_EQ(errorOf([&] { image.getBuffer(); }),
              "class Stimora::Image [Memory Error] The Image does not have bitmap instance.");
    image.set(2, 2, Image::GRAY, Image::BYTE); // a released image takes a new bitmap
    EXPECT_TRUE(image.hasBitmap());
}

TEST(ImageStorage, CopyIsDeepAndUncached) {
    Image original(3, 3, Image::RGBA, Image::BYTE);
    original.rawPix(1, 1, raw(0.2, 0.4, 0.6, 0.8));
    original.setDatum(40, 50);
    Image copy(original);
    EXPECT_EQ(copy.getPix(1, 1), original.getPix(1, 1));
    EXPECT_NE(copy.getBuffer(), original.getBuffer());
    EXPECT_NE(copy.getProperties(), original.getProperties());
    EXPECT_FALSE(copy.isCached());
    EXPECT_EQ(copy.getArea().left, 40.0);
    copy.rawPix(1, 1, raw(1, 1, 1, 1));
    EXPECT_EQ(original.getPix(1, 1), raw(0.2, 0.4, 0.6, 0.8));

    Image assigned(1, 1, Image::GRAY, Image::FLOAT);
    assigned = original;
    EXPECT_EQ(assigned.getLayout(), Image::RGBA);
    EXPECT_EQ(assigned.getPix(1, 1), original.getPix(1, 1));
    Image empty;
    assigned = empty;
    EXPECT_FALSE(assigned.hasBitmap());
}

// ---- pixel access

TEST(ImagePixels, EveryAccessChecksBounds) {
    Image image(4, 3, Image::RGBA, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.pix(4, 0, Color::white); }), outOfBound);
    EXPECT_EQ(errorOf([&] { image.pix(0, 3, Color::white); }), outOfBound);
    EXPECT_EQ(errorOf([&] { image.rawPix(-1, 0, Color::white); }), outOfBound);
    EXPECT_EQ(errorOf([&] { image.alpha(0, -1, 0.5); }), outOfBound);
    EXPECT_EQ(errorOf([&] { image.getPix(4, 2); }), outOfBound);
    EXPECT_EQ(errorOf([&] { image.getPix(3, 2); }), "");
    Image grey(2, 2, Image::GRAY, Image::BYTE);
    EXPECT_EQ(errorOf([&] { grey.alpha(2, 0, 0.5); }), outOfBound);
    Image empty;
    EXPECT_EQ(errorOf([&] { empty.getPix(0, 0); }), outOfBound);
}

TEST(ImagePixels, ByteComponentsRoundHalfToEven) {
    Image image(1, 1, Image::RGBA, Image::BYTE);
    image.rawPix(0, 0, raw(0.5, 1.0, 0.2, 0.0));
    const auto* p = static_cast<const unsigned char*>(image.getBuffer());
    EXPECT_EQ(p[0], 128); // 127.5 goes to the even 128
    EXPECT_EQ(p[1], 255);
    EXPECT_EQ(p[2], 51);
    EXPECT_EQ(p[3], 0); // rawPix stores alpha 0 as it is
}

TEST(ImagePixels, GreyByteReadsBackOver255) {
    Image image(2, 2, Image::GRAY, Image::BYTE);
    image.rawPix(1, 1, raw(0.5, 0.9, 0.9));
    const Color c = image.getPix(1, 1);
    EXPECT_DOUBLE_EQ(c.r, 128.0 / 255.0);
    EXPECT_DOUBLE_EQ(c.g, 128.0 / 255.0);
    EXPECT_DOUBLE_EQ(c.b, 128.0 / 255.0);
    EXPECT_EQ(c.a, 1.0);
}

TEST(ImagePixels, PixWithAlphaZeroLeavesRgbUnchanged) {
    Image image(1, 1, Image::RGB, Image::BYTE);
    image.rawPix(0, 0, raw(0.2, 0.4, 0.6));
    const Color before = image.getPix(0, 0);
    image.pix(0, 0, raw(1, 1, 1, 0));
    EXPECT_EQ(image.getPix(0, 0), before);
}

TEST(ImagePixels, PixBlendsColourAndAlpha) {
    Image image(1, 1, Image::RGBA, Image::FLOAT);
    image.rawPix(0, 0, raw(0.0, 1.0, 0.5, 1.0));
    image.pix(0, 0, raw(1.0, 0.0, 0.5, 0.5));
    const Color c = image.getPix(0, 0);
    EXPECT_FLOAT_EQ(c.r, 0.5f);
    EXPECT_FLOAT_EQ(c.g, 0.5f);
    EXPECT_FLOAT_EQ(c.b, 0.5f);
    EXPECT_FLOAT_EQ(c.a, 0.75f); // 1 x (1 - 0.5) + 0.5 x 0.5
}

TEST(ImagePixels, GreyPixIgnoresAlphaAndStoresRed) {
    Image image(1, 1, Image::GRAY, Image::FLOAT);
    image.pix(0, 0, raw(0.25, 0.9, 0.9, 0.0));
    EXPECT_FLOAT_EQ(image.getPix(0, 0).r, 0.25f);
}

TEST(ImagePixels, AlphaWritesOnlyRgba) {
    Image rgba(1, 1, Image::RGBA, Image::BYTE);
    rgba.alpha(0, 0, 0.2);
    EXPECT_EQ(rgba.getPix(0, 0), raw(0, 0, 0, 51.0 / 255.0));
    Image rgb(1, 1, Image::RGB, Image::BYTE);
    rgb.alpha(0, 0, 0.2);
    EXPECT_EQ(rgb.getPix(0, 0), raw(0, 0, 0, 1));
}

// ---- drawing into the image

TEST(ImageDrawing, HorizontalShallowLineStepsAlongX) {
    Image image(6, 4, Image::GRAY, Image::BYTE);
    image.line(0, 0, 5, 2, Color::white); // slope 0.4
    const int expectedY[6] = {0, 0, 1, 1, 2, 2};
    // y = round(0.4 k): 0, 0.4, 0.8, 1.2, 1.6, 2.0 -> 0, 0, 1, 1, 2, 2
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(image.getPix(x, y).r, y == expectedY[x] ? 1.0 : 0.0) << x << "," << y;
        }
    }
}

TEST(ImageDrawing, SteepLineStepsAlongYFromTheUpperEnd) {
    Image image(4, 5, Image::GRAY, Image::BYTE);
    image.line(3, 4, 1, 0, Color::white); // slope 2, starts at (1, 0)
    // x = round(1 + k / 2): 1, 1.5, 2, 2.5, 3 -> 1, 2, 2, 2, 3
    const int expectedX[5] = {1, 2, 2, 2, 3};
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(image.getPix(x, y).r, x == expectedX[y] ? 1.0 : 0.0) << x << "," << y;
        }
    }
}

TEST(ImageDrawing, VerticalLineAndPointsOutsideAreSkipped) {
    Image image(3, 3, Image::GRAY, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.line(1, -5, 1, 10, Color::white); }), "");
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(image.getPix(1, y).r, 1.0);
        EXPECT_EQ(image.getPix(0, y).r, 0.0);
    }
    EXPECT_EQ(errorOf([&] { image.line(-10, -10, 20, 20, Color::white); }), "");
    EXPECT_EQ(image.getPix(2, 2).r, 1.0);
    EXPECT_EQ(errorOf([&] { image.line(50, 50, 60, 50, Color::white); }), "");
}

TEST(ImageDrawing, FarEndsDrawTheSamePixelsAsTheVisiblePart) {
    const double ends[][8] = {{-3e9, -3e9, 3e9, 3e9, 0, 0, 5, 5}, {-HUGE_VAL, 1, 5, 1, 0, 1, 5, 1}};
    for (const auto& e : ends) {
        Image far(6, 4, Image::GRAY, Image::BYTE), near(far);
        EXPECT_FALSE(std::memcmp(far.line(e[0], e[1], e[2], e[3], Color::white).getBuffer(),
                                 near.line(e[4], e[5], e[6], e[7], Color::white).getBuffer(), 32));
    }
}

TEST(ImageDrawing, RectIsClippedToTheImage) {
    Image image(4, 4, Image::GRAY, Image::BYTE);
    image.rect(Rectangle(2, 2, 9, 9), Color::white);
    int lit = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            lit += image.getPix(x, y).r == 1.0 ? 1 : 0;
        }
    }
    EXPECT_EQ(lit, 4);
    EXPECT_EQ(image.getPix(3, 3).r, 1.0);
}

TEST(ImageDrawing, RectWhollyOutsideDrawsNothing) {
    Image image(4, 4, Image::GRAY, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.rect(Rectangle(10, 10, 20, 20), Color::white); }), "");
    EXPECT_EQ(errorOf([&] { image.rect(Rectangle(-20, -20, -10, -10), Color::white); }), "");
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(image.getPix(x, y).r, 0.0);
        }
    }
}

TEST(ImageDrawing, OvalFillsTheInscribedDisc) {
    Image image(11, 11, Image::GRAY, Image::BYTE);
    image.oval(Rectangle(0, 0, 10, 10), Color::white);
    EXPECT_EQ(image.getPix(5, 5).r, 1.0);
    EXPECT_EQ(image.getPix(0, 5).r, 1.0); // the widest row reaches both sides
    EXPECT_EQ(image.getPix(10, 5).r, 1.0);
    EXPECT_EQ(image.getPix(0, 0).r, 0.0); // corners stay outside
    EXPECT_EQ(image.getPix(10, 10).r, 0.0);
    for (int y = 0; y < 11; ++y) { // left-right symmetric about column 5
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(image.getPix(x, y).r, image.getPix(10 - x, y).r) << x << "," << y;
        }
    }
    Image small(3, 3, Image::GRAY, Image::BYTE);
    EXPECT_EQ(errorOf([&] { small.oval(Rectangle(-5, -5, 10, 10), Color::white); }), "");
}

// ---- matrices

TEST(ImageMatrix, GreyRoundTripThroughMatrix) {
    Matrix m(2, 3);
    m.at(1, 1) = 1.0;
    m.at(2, 3) = 0.2;
    Image image;
    image.from(m);
    EXPECT_EQ(image.getWidth(), 3);
    EXPECT_EQ(image.getHeight(), 2);
    EXPECT_EQ(image.getLayout(), Image::GRAY);
    EXPECT_EQ(image.getPix(0, 0).r, 1.0);
    EXPECT_EQ(image.getPix(2, 1).r, 51.0 / 255.0);
    Matrix back;
    image.to(back);
    EXPECT_EQ(back.rows(), 2);
    EXPECT_EQ(back.cols(), 3);
    EXPECT_EQ(back.at(1, 1), 1.0);
    EXPECT_DOUBLE_EQ(back.at(2, 3), 51.0 / 255.0);
}

TEST(ImageMatrix, FromKeepsLayoutWhenSizesAgree) {
    Image image(3, 2, Image::RGBA, Image::FLOAT);
    Matrix m(2, 3);
    m.at(1, 2) = 0.75;
    image.from(m);
    EXPECT_EQ(image.getLayout(), Image::RGBA);
    EXPECT_EQ(image.getPix(1, 0), raw(0.75, 0.75, 0.75, 1.0));
}

TEST(ImageMatrix, FromRefusesAnotherSizeOverABitmap) {
    Image image(3, 3, Image::GRAY, Image::BYTE);
    Matrix m(2, 3);
    EXPECT_EQ(errorOf([&] { image.from(m); }),
              "class Stimora::Image [Memory Error] Image has been allocated.");
}

TEST(ImageMatrix, RgbAndRgbaFromMatrices) {
    Matrix r(1, 2), g(1, 2), b(1, 2), a(1, 2);
    r.at(1, 1) = 1.0;
    g.at(1, 2) = 1.0;
    a.at(1, 1) = 1.0;
    a.at(1, 2) = 0.5;
    Image rgb;
    rgb.from(r, g, b);
    EXPECT_EQ(rgb.getLayout(), Image::RGB);
    EXPECT_EQ(rgb.getPix(0, 0), raw(1, 0, 0));
    EXPECT_EQ(rgb.getPix(1, 0), raw(0, 1, 0));
    Image rgba;
    rgba.from(r, g, b, a);
    EXPECT_EQ(rgba.getLayout(), Image::RGBA);
    EXPECT_EQ(rgba.getPix(0, 0), raw(1, 0, 0, 1));
    // Alpha 0.5 over the opaque black of a new bitmap: green 0.5, alpha 0.75.
    EXPECT_EQ(rgba.getPix(1, 0), raw(0, 128.0 / 255.0, 0, 191.0 / 255.0));
    Matrix wrong(2, 2);
    Image other;
    EXPECT_EQ(errorOf([&] { other.from(r, wrong, b); }),
              "class Stimora::Image [Format Error] Matrix sizes are defferent between each color.");
    EXPECT_EQ(errorOf([&] { other.from(r, g, b, wrong); }),
              "class Stimora::Image [Format Error] Matrix sizes are defferent between each color.");
}

TEST(ImageMatrix, ToChecksLayoutBitmapAndTargets) {
    Image rgb(2, 2, Image::RGB, Image::BYTE);
    Matrix m;
    EXPECT_EQ(errorOf([&] { rgb.to(m); }),
              "class Stimora::Image [Argument Error] Color types of Image and Matrix were not matched.");
    Image empty; // layout RGB, no bitmap
    Matrix r, g, b;
    EXPECT_EQ(errorOf([&] { empty.to(r, g, b); }),
              "class Stimora::Image [Memory Error] Image had not allocated.");
    Matrix r3(3, 3), g3(3, 3), b3(3, 3);
    EXPECT_EQ(errorOf([&] { rgb.to(r3, g3, b3); }),
              "class Stimora::Image [Memory Error] Target matrix has been allocated.");
    Matrix mismatch(1, 1);
    EXPECT_EQ(errorOf([&] { rgb.to(r, mismatch, b); }),
              "class Stimora::Image [Format Error] Matrix sizes are defferent between each color.");

    rgb.rawPix(1, 0, raw(0.2, 0.4, 0.6));
    rgb.to(r, g, b);
    EXPECT_EQ(r.rows(), 2);
    EXPECT_DOUBLE_EQ(r.at(1, 2), 51.0 / 255.0);
    EXPECT_DOUBLE_EQ(g.at(1, 2), 102.0 / 255.0);
    EXPECT_DOUBLE_EQ(b.at(1, 2), 153.0 / 255.0);

    Image rgba(2, 1, Image::RGBA, Image::FLOAT);
    rgba.rawPix(0, 0, raw(0.1, 0.2, 0.3, 0.4));
    Matrix rr, gg, bb, aa;
    rgba.to(rr, gg, bb, aa);
    EXPECT_FLOAT_EQ(static_cast<float>(aa.at(1, 1)), 0.4f);
    EXPECT_EQ(aa.at(1, 2), 1.0);
}

TEST(ImageMatrix, CopyBetweenImagesBlendsAndChecksAreas) {
    Image source(4, 4, Image::RGBA, Image::BYTE);
    source.clear(raw(1, 0, 0, 0.5));
    Image target(4, 4, Image::RGB, Image::BYTE);
    source.to(Rectangle(0, 0, 1, 1), target, Rectangle(2, 2, 3, 3));
    EXPECT_EQ(target.getPix(2, 2), raw(128.0 / 255.0, 0, 0));
    EXPECT_EQ(target.getPix(1, 1), raw(0, 0, 0));
    EXPECT_EQ(pointerErrorOf([&] { source.to(Rectangle(0, 0, 2, 2), target, Rectangle(0, 0, 1, 1)); }),
              "Image.to: source area does not match target area.");
    // Clipping happens first: 3 x 3 from the corner meets 3 x 3 clipped from a 5 x 5 area.
    EXPECT_EQ(pointerErrorOf([&] { source.to(Rectangle(0, 0, 2, 2), target, Rectangle(1, 1, 5, 5)); }), "");
}

// ---- placement

TEST(ImagePlacement, AreaFollowsTheFigureOperations) {
    Image image(10, 6, Image::RGB, Image::BYTE);
    image.setDatum(Point(100, 50));
    EXPECT_EQ(image.getArea().left, 100.0);
    EXPECT_EQ(image.getArea().top, 50.0);
    EXPECT_EQ(image.getDatum(), Point(104.5, 52.5, 0));
    image.centerAt(Point(20, 20));
    EXPECT_EQ(image.getDatum(), Point(20, 20, 0));
    image.shift(5, -5);
    EXPECT_EQ(image.getDatum(), Point(25, 15, 0));
    image.centerAt(Rectangle(0, 0, 2, 2)); // centre on another figure's datum
    EXPECT_EQ(image.getDatum(), Point(1, 1, 0));
}

TEST(ImagePlacement, OwnCentreUsesIntegerHalving) {
    Image odd(5, 7, Image::GRAY, Image::BYTE);
    EXPECT_EQ(odd.getCenterX(), 1.5);
    EXPECT_EQ(odd.getCenterY(), 2.5);
    Image even(4, 4, Image::GRAY, Image::BYTE);
    EXPECT_EQ(even.getCenter(), Point(1.5, 1.5, 0));
}

// ---- files (the parts that need no canvas)

TEST(ImageFiles, OnlyLowerCasePngIsAccepted) {
    const std::string unsupported =
        "class Stimora::Image [File Type Error] Specified image type is not supported.";
    Image image;
    EXPECT_EQ(errorOf([&] { image.load("picture.PNG"); }), unsupported);
    EXPECT_EQ(errorOf([&] { image.load("picture"); }), unsupported);
    EXPECT_EQ(errorOf([&] { image.load("picture.png.bmp"); }), unsupported);
    EXPECT_EQ(errorOf([&] { Image constructed(std::string("x.jpg")); }), unsupported);
    Image full(2, 2, Image::RGB, Image::BYTE);
    EXPECT_EQ(errorOf([&] { full.save("out.Png"); }), unsupported);
    Image empty;
    EXPECT_EQ(errorOf([&] { empty.save("out.png"); }),
              "class Stimora::Image [Memory Error] Image does not have its instance.");
}

TEST(ImageFiles, LoadReleasesTheOldBitmapEvenWhenItFails) {
    Image image(3, 3, Image::RGB, Image::BYTE);
    EXPECT_NE(errorOf([&] { image.load("/nonexistent/dir/none.png"); }), "");
    EXPECT_FALSE(image.hasBitmap());
    EXPECT_EQ(image.getWidth(), 0);
}
