#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../file/PngTestFiles.h"
#include "ExpectException.h"
#include "base/Exception.h"
#include "figures/Image.h"
#include "figures/PNG_BRIDGE.h"

using namespace Stimora;
using Stimora::Testing::errorOf;
using namespace PngTestFiles;

namespace {

const std::string notPng =
    "class Stimora::IMAGE_FORMATS::PNG_BRIDGE [FILE FORMAT ERROR] The requested file is not PNG.";
const std::string notWritable =
    "class Stimora::IMAGE_FORMATS::PNG_BRIDGE [FILE FORMAT ERROR] The requested data "
    "is not able to be put as a PNG file.";
const std::string noAccess =
    "class Stimora::IMAGE_FORMATS::PNG_BRIDGE [FILE ACCESS ERROR] Failed to open the requested file.";

Color raw(double r, double g, double b, double a = 1.0) {
    return Color(Color::raw, r, g, b, a);
}

/// A small image whose every pixel differs, so that any row or column mix-up shows.
Image pattern(int layout, int width = 5, int height = 3) {
    Image image(width, height, layout, Image::BYTE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rawPix(x, y,
                         raw((x * 40 + 10) / 255.0, (y * 70 + 5) / 255.0, (x * y * 9 + 1) / 255.0,
                             (200 + x + y) / 255.0));
        }
    }
    return image;
}

/// Compares the used bytes of every row (the padding is not part of the picture).
void expectSamePixels(const Image& a, const Image& b) {
    ASSERT_EQ(a.getWidth(), b.getWidth());
    ASSERT_EQ(a.getHeight(), b.getHeight());
    ASSERT_EQ(a.getLayout(), b.getLayout());
    const auto* pa = static_cast<const unsigned char*>(a.getBuffer());
    const auto* pb = static_cast<const unsigned char*>(b.getBuffer());
    const std::size_t used = static_cast<std::size_t>(a.getWidth()) * a.getBytesPerPixel();
    for (int row = 0; row < a.getHeight(); ++row) {
        EXPECT_EQ(std::memcmp(pa + row * a.getBytesPerRow(), pb + row * b.getBytesPerRow(), used), 0)
            << "stored row " << row;
    }
}

/// Colour type, bit depth and interlace method from a PNG's header.
struct Header {
    int colorType;
    int bitDepth;
    int interlace;
};

Header headerOf(const std::string& path) {
    const Bytes bytes = readFile(path);
    if (bytes.size() < 33) {
        return {-1, -1, -1};
    }
    return {bytes[25], bytes[24], bytes[28]};
}

bool haveTool(const std::string& tool) {
    return run("command -v " + tool).first == 0;
}

} // namespace

// ---- refusals

TEST(PngBridgeLoad, MissingFileCannotBeOpened) {
    Image image;
    EXPECT_EQ(errorOf([&] { image.load(pathOf("does-not-exist.png")); }), noAccess);
}

TEST(PngBridgeLoad, ShortAndTextFilesAreNotPng) {
    writeFile(pathOf("short.png"), {0x89, 'P', 'N'});
    writeFile(pathOf("text.png"), Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    writeFile(pathOf("empty.png"), {});
    Image image;
    EXPECT_EQ(errorOf([&] { image.load(pathOf("short.png")); }), notPng);
    EXPECT_EQ(errorOf([&] { image.load(pathOf("text.png")); }), notPng);
    EXPECT_EQ(errorOf([&] { image.load(pathOf("empty.png")); }), notPng);
    EXPECT_FALSE(image.hasBitmap());
}

TEST(PngBridgeLoad, SignatureStartWithGarbageAfterIsNotPng) {
    writeFile(pathOf("signature-only.png"), {0x89, 'P', 'N', 'G', 0, 0, 0, 0, 1, 2, 3});
    Image image;
    EXPECT_EQ(errorOf([&] { image.load(pathOf("signature-only.png")); }), notPng);
    EXPECT_FALSE(image.hasBitmap());
}

TEST(PngBridgeLoad, TruncatedFileLeavesNoBitmap) {
    const std::string whole = pathOf("whole.png");
    pattern(Image::RGB, 40, 30).save(whole);
    Bytes bytes = readFile(whole);
    bytes.resize(bytes.size() - 30); // cut into the image data
    writeFile(pathOf("truncated.png"), bytes);
    Image image(2, 2, Image::GRAY, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.load(pathOf("truncated.png")); }), notPng);
    EXPECT_FALSE(image.hasBitmap());
    EXPECT_EQ(image.getWidth(), 0);
}

TEST(PngBridgeLoad, AbsurdDimensionsAreRefusedBeforeAllocating) {
    const std::string seed = pathOf("seed.png");
    pattern(Image::RGB, 4, 4).save(seed);
    const Bytes bytes = readFile(seed);
    const std::uint32_t sizes[][2] = {{40000, 40000}, {0x7FFFFFFF, 1}, {1, 0x7FFFFFFF}, {1, 32769},
                                      {16385, 16385}, {4096, 4097},    {0, 4}};
    for (const auto& size : sizes) {
        writeFile(pathOf("huge.png"), withDimensions(bytes, size[0], size[1]));
        Image image;
        const std::string tooLarge =
            notPng.substr(0, notPng.size() - 8) + "too large: " + std::to_string(size[0]) + " x " +
            std::to_string(size[1]) + " pixels, over 32768 a side or 268435456 in all.";
        EXPECT_EQ(errorOf([&] { image.load(pathOf("huge.png")); }), size[0] % 4096 == 0 ? notPng : tooLarge);
        EXPECT_FALSE(image.hasBitmap());
    }
}

TEST(PngBridgeLoad, LargestSavedImagesReadBack) {
    Image big(4097, 4096, Image::GRAY, Image::BYTE), loaded;
    big.rawPix(4096, 4095, raw(1, 1, 1)).save(pathOf("big.png"));
    loaded.load(pathOf("big.png"));
    expectSamePixels(big, loaded);
}

TEST(PngBridgeLoad, BridgeReplacesAnExistingBitmap) {
    const std::string path = pathOf("replace.png");
    pattern(Image::RGBA, 3, 2).save(path);
    Image image(10, 10, Image::GRAY, Image::FLOAT);
    IMAGE_FORMATS::PNG_BRIDGE bridge;
    bridge.load(path.c_str(), image);
    EXPECT_EQ(image.getWidth(), 3);
    EXPECT_EQ(image.getHeight(), 2);
    EXPECT_EQ(image.getLayout(), Image::RGBA);
    EXPECT_EQ(image.getPrecision(), Image::BYTE);
}

// ---- writing

TEST(PngBridgeSave, FloatImageIsRefusedAndTheFileLeftEmpty) {
    const std::string path = pathOf("float.png");
    Image image(4, 4, Image::RGB, Image::FLOAT);
    EXPECT_EQ(errorOf([&] { image.save(path); }), notWritable);
    EXPECT_TRUE(readFile(path).empty());
    EXPECT_EQ(run("test -f '" + path + "'").first, 0);
}

TEST(PngBridgeSave, MissingFolderCannotBeOpened) {
    Image image(4, 4, Image::RGB, Image::BYTE);
    EXPECT_EQ(errorOf([&] { image.save(pathOf("no/such/folder/x.png")); }), noAccess);
}

TEST(PngBridgeSave, HeaderMatchesTheLayout) {
    const struct {
        int layout;
        int colorType;
    } cases[] = {{Image::GRAY, 0}, {Image::RGB, 2}, {Image::RGBA, 6}};
    for (const auto& c : cases) {
        const std::string path = pathOf("layout" + std::to_string(c.layout) + ".png");
        pattern(c.layout).save(path);
        const Header h = headerOf(path);
        EXPECT_EQ(h.colorType, c.colorType);
        EXPECT_EQ(h.bitDepth, 8);
        EXPECT_EQ(h.interlace, 0);
    }
}

TEST(PngBridgeSave, RoundTripIsExactForEveryLayout) {
    for (int layout : {Image::GRAY, Image::RGB, Image::RGBA}) {
        for (int width : {1, 2, 3, 5, 17}) {
            const std::string path =
                pathOf("round" + std::to_string(layout) + "-" + std::to_string(width) + ".png");
            const Image original = pattern(layout, width, 4);
            Image(original).save(path);
            Image loaded(path);
            expectSamePixels(original, loaded);
        }
    }
}

TEST(PngBridgeSave, SavedFilePassesPngcheckAndIdentify) {
    if (!haveTool("pngcheck") || !haveTool("identify")) {
        GTEST_SKIP() << "pngcheck or identify not installed";
    }
    for (int layout : {Image::GRAY, Image::RGB, Image::RGBA}) {
        const std::string path = pathOf("checked" + std::to_string(layout) + ".png");
        pattern(layout, 7, 5).save(path);
        const auto check = run("pngcheck -q '" + path + "'");
        EXPECT_EQ(check.first, 0) << check.second;
        const auto identify = run("identify -format '%w %h' '" + path + "'");
        EXPECT_EQ(identify.first, 0) << identify.second;
        EXPECT_EQ(identify.second, "7 5");
    }
}

TEST(PngBridgeSave, TopUserRowIsTheFilesFirstRow) {
    if (!haveTool("convert")) {
        GTEST_SKIP() << "ImageMagick not installed";
    }
    Image image(3, 2, Image::RGB, Image::BYTE);
    image.rawPix(0, 0, raw(1, 0, 0)); // top-left red
    image.rawPix(2, 1, raw(0, 0, 1)); // bottom-right blue
    const std::string path = pathOf("rows.png");
    image.save(path);
    const auto topLeft = run("convert '" + path + "' -format '%[pixel:p{0,0}]' info:");
    EXPECT_EQ(topLeft.second, "srgb(255,0,0)");
    const auto bottomRight = run("convert '" + path + "' -format '%[pixel:p{2,1}]' info:");
    EXPECT_EQ(bottomRight.second, "srgb(0,0,255)");
}

// ---- files made by another program

class PngFromConvert : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTool("convert")) {
            GTEST_SKIP() << "ImageMagick not installed";
        }
    }
    /// Makes a 3 x 2 picture, red at the top-left and blue at the bottom-right, on black.
    std::string make(const std::string& name, const std::string& options, const std::string& format) {
        const std::string path = pathOf(name);
        const auto result = run("convert -size 3x2 xc:black -fill 'rgb(255,0,0)' -draw 'point 0,0' -fill "
                                "'rgb(0,0,255)' -draw 'point 2,1' " +
                                options + " " + format + ":'" + path + "'");
        EXPECT_EQ(result.first, 0) << result.second;
        return path;
    }
};

TEST_F(PngFromConvert, EightBitRgbLoadsTopRowLast) {
    const std::string path = make("rgb24.png", "", "PNG24");
    ASSERT_EQ(headerOf(path).colorType, 2);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::RGB);
    EXPECT_EQ(image.getPrecision(), Image::BYTE);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0));
    EXPECT_EQ(image.getPix(2, 1), raw(0, 0, 1));
    const auto* bytes = static_cast<const unsigned char*>(image.getBuffer());
    const unsigned char* lastRow = bytes + image.getBytesPerRow(); // stored row 1 of 0..1
    EXPECT_EQ(lastRow[0], 255);
    EXPECT_EQ(lastRow[1], 0);
    EXPECT_EQ(bytes[2 * 3 + 2], 255); // bottom-right blue sits in the first stored row

    // Saving again writes the rows back in the order the file had.
    const std::string again = pathOf("rgb24-again.png");
    image.save(again);
    EXPECT_EQ(run("convert '" + again + "' -format '%[pixel:p{0,0}]' info:").second, "srgb(255,0,0)");
}

TEST_F(PngFromConvert, PaletteLoadsAsOpaqueRgba) {
    const std::string path = make("palette.png", "", "PNG8");
    ASSERT_EQ(headerOf(path).colorType, 3);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::RGBA);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0, 1));
    EXPECT_EQ(image.getPix(1, 0), raw(0, 0, 0, 1));
}

TEST_F(PngFromConvert, SixteenBitIsStrippedToEight) {
    const std::string path = make("rgb48.png", "-depth 16", "PNG48");
    ASSERT_EQ(headerOf(path).bitDepth, 16);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::RGB);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0));
    EXPECT_EQ(image.getPix(2, 1), raw(0, 0, 1));
}

TEST_F(PngFromConvert, InterlacedIsDeinterlaced) {
    const std::string path = make("interlaced.png", "-interlace PNG", "PNG24");
    ASSERT_EQ(headerOf(path).interlace, 1);
    Image image(path);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0));
    EXPECT_EQ(image.getPix(2, 1), raw(0, 0, 1));
    EXPECT_EQ(image.getPix(1, 1), raw(0, 0, 0));
}

TEST_F(PngFromConvert, GreyLoadsAsGrey) {
    const std::string path = pathOf("grey.png");
    ASSERT_EQ(run("convert -size 4x3 xc:'gray(20%)' -fill white -draw 'point 3,0' -depth 8 -type Grayscale "
                  "PNG:'" +
                  path + "'")
                  .first,
              0);
    ASSERT_EQ(headerOf(path).colorType, 0);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::GRAY);
    EXPECT_EQ(image.getPix(3, 0).r, 1.0);
    EXPECT_EQ(image.getPix(0, 2).r, 51.0 / 255.0);
}

TEST_F(PngFromConvert, OneBitGreyExpandsToFullBytes) {
    const std::string path = pathOf("bilevel.png");
    ASSERT_EQ(run("convert -size 9x2 xc:black -fill white -draw 'point 8,0' -type Bilevel PNG:'" + path + "'")
                  .first,
              0);
    ASSERT_EQ(headerOf(path).bitDepth, 1);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::GRAY);
    EXPECT_EQ(image.getPix(8, 0).r, 1.0);
    EXPECT_EQ(image.getPix(7, 0).r, 0.0);
    EXPECT_EQ(image.getPix(8, 1).r, 0.0);
}

TEST_F(PngFromConvert, GreyWithAlphaBecomesRgba) {
    const std::string path = pathOf("grey-alpha.png");
    ASSERT_EQ(run("convert -size 2x2 xc:'graya(60%,0.4)' -fill 'graya(100%,1)' -draw 'point 1,0' -depth 8 "
                  "-type GrayscaleAlpha PNG:'" +
                  path + "'")
                  .first,
              0);
    ASSERT_EQ(headerOf(path).colorType, 4);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::RGBA);
    EXPECT_EQ(image.getPix(1, 0), raw(1, 1, 1, 1));
    EXPECT_EQ(image.getPix(0, 1), raw(153.0 / 255.0, 153.0 / 255.0, 153.0 / 255.0, 102.0 / 255.0));
}

TEST_F(PngFromConvert, TransparentPaletteEntryBecomesAlpha) {
    const std::string path = pathOf("palette-trns.png");
    ASSERT_EQ(
        run("convert -size 3x2 xc:'rgba(0,0,0,0)' -fill red -draw 'point 0,0' PNG8:'" + path + "'").first, 0);
    ASSERT_EQ(headerOf(path).colorType, 3);
    Image image(path);
    EXPECT_EQ(image.getLayout(), Image::RGBA);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0, 1));
    EXPECT_EQ(image.getPix(2, 1).a, 0.0);
}

TEST_F(PngFromConvert, RgbWithTransparentColourStaysRgb) {
    const std::string path = pathOf("rgb-trns.png");
    ASSERT_EQ(
        run("convert -size 3x2 xc:black -fill red -draw 'point 0,0' -transparent black PNG24:'" + path + "'")
            .first,
        0);
    ASSERT_EQ(headerOf(path).colorType, 2);
    Image image(path);
    // Colour type 2 reads as RGB whatever ancillary chunks it carries.
    EXPECT_EQ(image.getLayout(), Image::RGB);
    EXPECT_EQ(image.getPix(0, 0), raw(1, 0, 0, 1));
    EXPECT_EQ(image.getPix(1, 1), raw(0, 0, 0, 1));
}

TEST(PngBridgeLoad, GreyWithTransparentLevelStaysGrey) {
    const std::string seed = pathOf("grey-seed.png");
    pattern(Image::GRAY, 4, 2).save(seed);
    Bytes bytes = readFile(seed);
    const std::vector<Chunk> chunks = chunksOf(bytes);
    ASSERT_FALSE(chunks.empty());
    ASSERT_EQ(chunks[0].type, "IHDR");
    // A tRNS chunk naming grey level 10 (the top-left pixel) transparent, right after IHDR.
    Bytes trns = {0, 0, 0, 2, 't', 'R', 'N', 'S', 0, 10, 0, 0, 0, 0};
    writeBig(trns, 10, crc32(&trns[4], 6));
    const std::size_t after = chunks[0].offset + 12 + chunks[0].length;
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(after), trns.begin(), trns.end());
    writeFile(pathOf("grey-trns.png"), bytes);

    Image image(pathOf("grey-trns.png"));
    EXPECT_EQ(image.getLayout(), Image::GRAY);
    expectSamePixels(image, pattern(Image::GRAY, 4, 2));
}

TEST(PngBridgeLoad, HostileTextChunkLengthIsRefusedWithoutAllocating) {
    const std::string seed = pathOf("text-seed.png");
    pattern(Image::RGB, 4, 4).save(seed);
    Bytes bytes = readFile(seed);
    // A tEXt chunk claiming 2 GiB, put before IEND.
    const Bytes text = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'a', 0, 'b', 0, 0, 0, 0};
    bytes.insert(bytes.end() - 12, text.begin(), text.end());
    writeFile(pathOf("hostile-text.png"), bytes);
    Image image;
    EXPECT_EQ(errorOf([&] { image.load(pathOf("hostile-text.png")); }), notPng);
    EXPECT_FALSE(image.hasBitmap());
}
