#include "CanvasFixture.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>

#include "display/Display.h"
#include "figures/Image.h"
#include "figures/Rectangle.h"

namespace Stimora::Testing {

std::ostream& operator<<(std::ostream& out, const Rgba& p) {
    return out << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}

std::unique_ptr<Canvas> openWindowCanvas(int width, int height) {
    return std::make_unique<Canvas>(width, height, Display::primary());
}

std::unique_ptr<Canvas> openFullScreenCanvas() {
    return std::make_unique<Canvas>(Canvas::fullscreen, Display::primary());
}

std::vector<Rgba> readPixels(Canvas& canvas, int left, int top, int width, int height, int buffer) {
    std::vector<Rgba> window(static_cast<std::size_t>(width) * height);
    // Any canvas operation makes the canvas's own context current (there may be several).
    canvas.pushDefaultState();
    canvas.popState();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(buffer == Canvas::front ? GL_FRONT : GL_BACK);
    // Window rows count up from the bottom; canvas rows down from the top.
    glReadPixels(left, canvas.getHeight() - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 window.data());
    glPopClientAttrib();
    glReadBuffer(GL_BACK);
    std::vector<Rgba> rows(window.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[static_cast<std::size_t>(y) * width + x] =
                window[static_cast<std::size_t>(height - 1 - y) * width + x];
    return rows;
}

Rgba readPixel(Canvas& canvas, int x, int y, int buffer) {
    return readPixels(canvas, x, y, 1, 1, buffer).front();
}

int countPixels(Canvas& canvas, int left, int top, int width, int height, const Rgba& color) {
    int n = 0;
    for (const Rgba& p : readPixels(canvas, left, top, width, height))
        n += p.sameColor(color) ? 1 : 0;
    return n;
}

int countLit(Canvas& canvas, int left, int top, int width, int height) {
    int n = 0;
    for (const Rgba& p : readPixels(canvas, left, top, width, height))
        n += p.lit() ? 1 : 0;
    return n;
}

Rectangle box(double left, double top, double right, double bottom) {
    Rectangle r;
    r.set(left, top, right, bottom);
    return r;
}

std::string saveBackBuffer(Canvas& canvas, const std::string& name) {
    const char* dir = std::getenv("STIMORA_TEST_OUTPUT");
    std::filesystem::path folder = dir && *dir ? dir : ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path path = std::filesystem::absolute(folder, error) / (name + ".png");
    // The framework's own read-back and PNG writer: what is saved is what a user would save.
    try {
        Image picture(canvas.getWidth(), canvas.getHeight(), Image::RGB, Image::BYTE);
        canvas.capture(picture, box(0, 0, canvas.getWidth() - 1, canvas.getHeight() - 1));
        picture.save(path.string());
    } catch (...) {
        return {};
    }
    return path.string();
}

std::unique_ptr<Canvas> CanvasFixture::shared;

void CanvasFixture::SetUpTestSuite() {
    shared = openWindowCanvas();
}

void CanvasFixture::TearDownTestSuite() {
    shared.reset();
}

void CanvasFixture::SetUp() {
    ASSERT_TRUE(shared) << "no canvas on the display";
    shared->clear(Color::black);
}

Canvas& CanvasFixture::canvas() {
    return *shared;
}

} // namespace Stimora::Testing
