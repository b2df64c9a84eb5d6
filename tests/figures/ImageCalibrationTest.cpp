// Images under software gamma calibration (mode 101): pixels hold what the display is sent,
// files and matrices hold requested intensities. A separate program, since the calibration
// state is process-wide.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "display/Color.h"
#include "figures/Image.h"
#include "math/Matrix.h"

using namespace Stimora;

namespace {

std::string tempPng(const std::string& name) {
    const char* dir = std::getenv("STIMORA_TEST_OUTPUT");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name + ".png";
}

unsigned char storedByte(const Image& image, int x, int y) {
    const auto* bytes = static_cast<const unsigned char*>(image.getBuffer());
    return bytes[static_cast<std::size_t>(image.getBytesPerRow()) * (image.getHeight() - 1 - y) +
                 static_cast<std::size_t>(x) * image.getBytesPerPixel()];
}

class ImageCalibration : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Color::setGammaValue(2.0, 2.0, 2.0, Color::gammaValueSoftware); }
};

} // namespace

TEST_F(ImageCalibration, PixStoresTheCalibratedValue) {
    ASSERT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    Image image(2, 1, Image::RGB, Image::BYTE);
    image.pix(0, 0, Color(0.25));
    EXPECT_EQ(storedByte(image, 0, 0), 128); // 0.25 ^ (1 / 2) = 0.5
}

TEST_F(ImageCalibration, PixBlendsRequestedIntensities) {
    Image image(1, 1, Image::RGB, Image::BYTE);
    image.pix(0, 0, Color(1.0, 1.0, 1.0, 0.5)); // half of 1 over black is 0.5 requested
    EXPECT_EQ(storedByte(image, 0, 0), 180);    // sqrt(0.5) x 255 = 180.3
}

TEST_F(ImageCalibration, SaveWritesRequestedAndLoadCalibratesAgain) {
    Image image(3, 2, Image::RGB, Image::BYTE);
    image.rawPix(1, 1, Color(Color::raw, 128.0 / 255.0, 1.0, 0.0, 1.0));
    const std::string path = tempPng("calibrated");
    image.save(path);
    EXPECT_EQ(storedByte(image, 1, 1), 128); // the image itself is unchanged

    // The file holds requested values: (128 / 255)^2 x 255 = 64.25.
    Color::setGammaValue(1.0, 1.0, 1.0, Color::gammaValueSoftware);
    Image plain(path);
    EXPECT_EQ(storedByte(plain, 1, 1), 64);
    Color::setGammaValue(2.0, 2.0, 2.0, Color::gammaValueSoftware);

    Image loaded(path);
    EXPECT_EQ(storedByte(loaded, 1, 1), 128); // sqrt(64 / 255) x 255 = 127.7
}

TEST_F(ImageCalibration, MatricesHoldRequestedIntensities) {
    Matrix m(1, 1);
    m.at(1, 1) = 0.25;
    Image image;
    image.from(m);
    EXPECT_EQ(storedByte(image, 0, 0), 128);
    Matrix back;
    image.to(back);
    EXPECT_NEAR(back.at(1, 1), 0.25, 0.005);
}
