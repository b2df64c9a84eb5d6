#include "CanvasFixture.h"

#include <GL/gl.h>

#include <memory>
#include <vector>

#include "APIImageProperties.h"
#include "base/Exception.h"
#include "devices/Mouse.h"
#include "display/Display.h"
#include "display/DrawableDummy.h"
#include "figures/Colored.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Letters.h"
#include "figures/QuickGabor.h"
#include "figures/Rectangle.h"

namespace Stimora::Testing {
namespace {

const Rgba white{255, 255, 255, 255};
const Rgba red{255, 0, 0, 255};
const Rgba green{0, 255, 0, 255};
const Rgba blue{0, 0, 255, 255};
const char* const refusal = "Canvas-dependent function was called before the instantiation of Canvas.";

// Runs f and returns the message of the Exception it throws by pointer ("" if none).
template <class F> std::string thrownByPointer(F f) {
    try {
        f();
    } catch (Exception* e) {
        std::unique_ptr<Exception> owned(e);
        EXPECT_EQ(e->text(), std::string("class Stimora::Exception [] ") + e->message());
        return e->message();
    }
    return "";
}

// ---------------------------------------------------------------- before any canvas

TEST(DrawableDummy, StandsInBeforeAnyCanvas) {
    ASSERT_EQ(currentCanvas(), nullptr);
    EXPECT_EQ(&defaultTarget(), static_cast<Drawable*>(&DrawableDummy::instance()));
    EXPECT_EQ(isCanvasTarget(), nullptr);
}

TEST(DrawableDummy, RefusesEveryOperationWithTheSameMessageByPointer) {
    Drawable& target = defaultTarget();
    Rectangle r = box(0, 0, 9, 9);
    Group g;
    EXPECT_EQ(thrownByPointer([&] { target.getWidth(); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.getHeight(); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.getCenter(); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.clear(Color::black); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.pix(1, 1, Color::white); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.rect(r, Color::white); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.rect(r, Stroke()); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { target.group(g); }), refusal);
    EXPECT_EQ(thrownByPointer([&] { DrawableDummy::instance().refuse(); }), refusal);
    // A figure drawn without a target goes to the dummy.
    EXPECT_EQ(thrownByPointer([&] { r.draw(); }), refusal);
}

TEST(DrawableDummy, FreeFunctionsRefuseWithoutACurrentCanvas) {
    EXPECT_EQ(thrownByPointer([] { flip(); }), refusal);
    EXPECT_EQ(thrownByPointer([] { clear(Color::black); }), refusal);
    EXPECT_EQ(thrownByPointer([] { rect(box(0, 0, 1, 1), Color::white); }), refusal);
    EXPECT_EQ(thrownByPointer([] { segmentText("1", 0, 0, Color::white); }), refusal);
    EXPECT_EQ(thrownByPointer([] { getWidth(); }), refusal);
}

// ---------------------------------------------------------------- registration

TEST(Registration, FirstCanvasBecomesCurrentAndDefaultTargetSecondDoesNot) {
    auto first = openWindowCanvas(200, 100);
    EXPECT_EQ(currentCanvas(), first.get());
    EXPECT_EQ(isCanvasTarget(), first.get());
    EXPECT_EQ(&defaultTarget(), static_cast<Drawable*>(first.get()));

    auto second = openWindowCanvas(120, 80);
    EXPECT_EQ(currentCanvas(), first.get());
    EXPECT_EQ(isCanvasTarget(), first.get());

    // Releasing the first leaves no current canvas, even while the second lives.
    first.reset();
    EXPECT_EQ(currentCanvas(), nullptr);
    EXPECT_EQ(isCanvasTarget(), nullptr);
    EXPECT_EQ(&defaultTarget(), static_cast<Drawable*>(&DrawableDummy::instance()));
    second.reset();
    EXPECT_EQ(currentCanvas(), nullptr);
}

TEST(Registration, EachCanvasDrawsIntoItsOwnWindow) {
    auto first = openWindowCanvas(64, 48);
    auto second = openWindowCanvas(64, 48);
    // Interleaved: every operation must land in its own canvas's context.
    first->clear(Color::red);
    second->clear(Color::blue);
    first->rect(Rectangle(10, 10, 19, 19), Color::green);
    second->rect(Rectangle(30, 30, 39, 39), Color::white);
    EXPECT_EQ(readPixel(*first, 5, 5), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(*first, 15, 15), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(readPixel(*first, 35, 35), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(*second, 5, 5), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(readPixel(*second, 15, 15), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(readPixel(*second, 35, 35), (Rgba{255, 255, 255, 255}));
    // With the second gone, the first still draws (its context is made current again).
    second.reset();
    first->rect(Rectangle(30, 30, 39, 39), Color::blue);
    EXPECT_EQ(readPixel(*first, 35, 35), (Rgba{0, 0, 255, 255}));
}

TEST(Registration, OverlayFiguresCollectedBeforeACanvasJoinTheFirstOne) {
    ASSERT_EQ(overlayGroup().size(), 0u);
    Shape::Colored<Rectangle> early(10.0, 10.0);
    early.fill = Color::green;
    registerOverlay(early);
    EXPECT_EQ(overlayGroup().size(), 1u);

    {
        auto canvas = openWindowCanvas(200, 100);
        ASSERT_FALSE(canvas->overlay.empty());
        EXPECT_EQ(canvas->overlay.front(), static_cast<Figure*>(&overlayGroup()));
        canvas->clear(Color::black);
        canvas->flip();
        EXPECT_EQ(readPixel(*canvas, 5, 5), green);

        // With a canvas as default target, figures go to its overlay directly.
        Shape::Colored<Rectangle> late(4.0, 4.0);
        registerOverlay(late);
        EXPECT_EQ(canvas->overlay.back(), static_cast<Figure*>(&late));
        EXPECT_EQ(overlayGroup().size(), 1u);
        canvas->overlay.pop_back();
    }
    overlayGroup().remove(0);

    auto canvas = openWindowCanvas(200, 100);
    for (Figure* f : canvas->overlay)
        EXPECT_NE(f, static_cast<Figure*>(&overlayGroup())) << "an empty overlay group is not appended";
}

TEST(Registration, ASecondCanvasShowsItsOwnFrameWhileTheCursorGoesToTheDefaultTarget) {
    auto first = openWindowCanvas(64, 48);
    auto second = openWindowCanvas(64, 48);
    first->clear(Color::red);
    Mouse::showSoftwareCursor();
    second->clear(Color::blue);
    second->flip();
    Mouse::hideSoftwareCursor();
    // Rows above the warning bar: the second canvas's frame, on screen (llvmpipe swaps by
    // copying, so the back buffer still holds it).
    EXPECT_EQ(countPixels(*second, 0, 0, 64, 10, blue), 64 * 10);
    EXPECT_EQ(readPixel(*first, 63, 0), red) << "the second canvas's frame stays out of the first";
}

// ---------------------------------------------------------------- several canvases

// Outline text, a texture, a Gabor patch, raster and seven-segment text and (at the flip)
// the vsync warning, each found on the frame.
void drawEverything(Canvas& c, Letters& text, Image& picture, StimulusTemplate::QuickGabor& gabor) {
    c.clear(Color::black);
    text.draw(Color::white, c);
    c.image(picture, 150, 10);
    gabor.draw(200, 20, c);
    c.message("HH", 10, 100, Color::white);
    c.segmentText("88", 300, 100, Color::white);
    c.flip();
    EXPECT_GT(countPixels(c, 0, 0, 100, 70, white), 100) << "outline text";
    EXPECT_EQ(readPixel(c, 155, 15), green) << "image";
    EXPECT_TRUE(readPixel(c, 200, 20).sameColor(Rgba{128, 128, 128, 255})) << "Gabor window";
    EXPECT_TRUE(readPixel(c, 230, 50).sameColor(Rgba{37, 37, 37, 255})) << "Gabor grating";
    EXPECT_GT(countPixels(c, 0, 90, 40, 12, white), 10) << "raster text";
    EXPECT_GT(countPixels(c, 298, 83, 30, 19, white), 20) << "seven-segment text";
    EXPECT_GT(countPixels(c, 0, 125, 400, 35, white), 300) << "vsync warning text";
}

TEST(SeveralCanvases, EveryResourceDrawsOnEveryCanvasAndEndsWithTheLastOne) {
    auto first = openWindowCanvas(400, 160);
    auto second = openWindowCanvas(400, 160);
    // Made while the first canvas is the default target.
    Letters text(u"H", Font(40, 400, 0, "DejaVu Sans"));
    text.setDatum(Point(10, 60, 0));
    auto doomed = std::make_unique<Image>(8, 8, Image::RGB, Image::BYTE);
    doomed->cache(true);
    Image picture(8, 8, Image::RGB, Image::BYTE);
    picture.clear(Color::green).cache(true);
    StimulusTemplate::QuickGabor gabor(16.0, 10.0, 1.0, 0.0, 0.0);
    drawEverything(*first, text, picture, gabor);
    drawEverything(*second, text, picture, gabor);
    first.reset();
    drawEverything(*second, text, picture, gabor);

    // Past the last canvas every object is gone: a new canvas makes its own, and the old name
    // of a texture, now standing for another one, is not deleted with its image.
    const GLuint oldName = doomed->getProperties()->textureName;
    second.reset();
    auto third = openWindowCanvas(400, 160);
    drawEverything(*third, text, picture, gabor);
    ASSERT_TRUE(glIsTexture(oldName));
    doomed.reset();
    drawEverything(*third, text, picture, gabor);
}

// ---------------------------------------------------------------- initialisation

TEST(Initialisation, EveryFormOfSetRefusesAnInitialisedCanvas) {
    auto canvas = openWindowCanvas(200, 100);
    const Display display = Display::primary();
    auto refused = [](auto f) {
        try {
            f();
        } catch (Canvas::Error e) {
            return e == Canvas::alreadyInitialized && e == 1;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { canvas->set(Canvas::fullscreen, display); }));
    EXPECT_TRUE(refused([&] { canvas->set(300, 200, display); }));
    EXPECT_TRUE(refused([&] { canvas->set(box(0, 0, 99, 99)); }));
    EXPECT_TRUE(refused([&] { canvas->set(1024, 768, 32, 60.0, display); }));
    EXPECT_EQ(canvas->getWidth(), 200);
    EXPECT_EQ(canvas->getHeight(), 100);
    canvas->rect(box(3, 3, 3, 3), Color::white);
    EXPECT_EQ(readPixel(*canvas, 3, 3), white);
}

TEST(Initialisation, UninitialisedCanvasUntilSet) {
    Canvas canvas;
    EXPECT_FALSE(canvas.isInitialized());
    EXPECT_EQ(currentCanvas(), nullptr);
    // Gamma requests do nothing before there is a display to load them into.
    const std::vector<double> wrong(10, 0.5);
    EXPECT_NO_THROW(canvas.setGammaTable(wrong, wrong, wrong));
    EXPECT_NO_THROW(canvas.setGammaValue(2, 2, 2));

    canvas.set(160, 120, Display::primary());
    EXPECT_TRUE(canvas.isInitialized());
    EXPECT_EQ(canvas.getWidth(), 160);
    EXPECT_EQ(canvas.getHeight(), 120);
    EXPECT_EQ(currentCanvas(), &canvas);
}

TEST(Initialisation, WindowAtARectangle) {
    Canvas canvas(box(30, 40, 229, 139));
    EXPECT_EQ(canvas.getWidth(), 200);
    EXPECT_EQ(canvas.getHeight(), 100);
    EXPECT_EQ(readPixel(canvas, 199, 99), (Rgba{0, 0, 0, 255})) << "both buffers start black";
}

TEST(Initialisation, GammaTablesAreForwardedToTheDisplayOnceInitialised) {
    auto canvas = openWindowCanvas(160, 120);
    const std::vector<double> wrong(255, 0.5);
    try {
        canvas->setGammaTable(wrong, wrong, wrong);
        ADD_FAILURE() << "a 255-entry table was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Table size is out of order (not 256).");
    }
}

TEST(Geometry, CenterHalvesTheSizeInIntegers) {
    auto odd = openWindowCanvas(1023, 767);
    EXPECT_EQ(odd->getCenter(), Point(510.5, 382.5, 0));
    EXPECT_EQ(odd->getCenterX(), 510.5);
    EXPECT_EQ(odd->getCenterY(), 382.5);
    odd.reset();
    auto full = openFullScreenCanvas();
    EXPECT_EQ(full->getWidth(), 1024);
    EXPECT_EQ(full->getHeight(), 768);
    EXPECT_EQ(full->getCenter(), Point(511.5, 383.5, 0));
    EXPECT_EQ(getCenter(), Point(511.5, 383.5, 0));
    EXPECT_EQ(full->getRefreshRate(), 60.0);
    EXPECT_TRUE(full->getColorDepth() == 24 || full->getColorDepth() == 32) << full->getColorDepth();
}

TEST(Geometry, VisualAngleInPixels) {
    auto canvas = openWindowCanvas(160, 120);
    EXPECT_EQ(canvas->degreesToPixelsX(1.0), 0) << "no geometry set";
    canvas->setGeometry(40.0, 30.0, 57.0, 1024, 768);
    EXPECT_EQ(canvas->getPixelWidth(), 1024);
    EXPECT_EQ(canvas->getPixelHeight(), 768);
    EXPECT_EQ(canvas->degreesToPixelsX(1.0), 25);   // 25.468...
    EXPECT_EQ(canvas->degreesToPixelsY(10.0), 255); // 255.326...
    EXPECT_EQ(canvas->degreesToPixelsX(-1.0), -25); // truncated toward zero
    EXPECT_EQ(degreesToPixelsX(1.0), 25);
    EXPECT_EQ(degreesToPixelsY(10.0), 255);
    // The queries exist on the current canvas too.
    EXPECT_EQ(getPixelWidth(), 1024);
    EXPECT_EQ(getPixelHeight(), 768);
    EXPECT_DOUBLE_EQ(getFramePeriod(), 1000.0 / 60.0);
    EXPECT_EQ(getHoldFrames(), canvas->getHoldFrames());
    EXPECT_EQ(getLastInterval(), canvas->getLastInterval());
    EXPECT_EQ(getColorDepth(), canvas->getColorDepth());
    EXPECT_EQ(getRefreshRate(), 60.0);
    EXPECT_EQ(getCenterX(), 79.5);
    EXPECT_EQ(getCenterY(), 59.5);
}

// ---------------------------------------------------------------- the frame

class FullScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = openFullScreenCanvas(); }
    static void TearDownTestSuite() { shared.reset(); }
    static std::unique_ptr<Canvas> shared;
    Canvas& canvas() { return *shared; }
    Rgba front(int x, int y) { return readPixel(*shared, x, y, Canvas::front); }
    // llvmpipe swaps by copying: after a flip the back buffer still holds the frame shown.
    Rgba shown(int x, int y) { return readPixel(*shared, x, y); }
};
std::unique_ptr<Canvas> FullScreen::shared;

TEST_F(FullScreen, UnsynchronisedCanvasShowsTheRedWarningBarInEveryFrame) {
    // The virtual display has no swap-interval control. The bar comes first, then its text.
    ASSERT_GE(canvas().overlay.size(), 1u);
    ASSERT_EQ(canvas().ownedFigures.size(), canvas().overlay.size());
    auto* bar = dynamic_cast<Shape::Colored<Rectangle>*>(canvas().overlay.front());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(canvas().ownedFigures.front(), canvas().overlay.front());
    EXPECT_EQ(bar->getWidth(), 600);
    EXPECT_EQ(bar->getHeight(), 20);
    EXPECT_EQ(bar->getDatum(), Point(511.5, 748, 0));
    EXPECT_EQ(bar->fill, Color(1, 0, 0, 1));

    for (const Color& background : {Color::white, Color::blue}) {
        canvas().clear(background);
        canvas().rect(box(0, 700, 1023, 767), background);
        canvas().flip();
        // Ends of the bar, clear of the text in its middle.
        EXPECT_EQ(shown(212, 748), red);
        EXPECT_EQ(shown(811, 748), red);
        EXPECT_NE(shown(211, 748), red);
        EXPECT_NE(shown(812, 748), red);
        int rows = 0;
        for (const Rgba& p : readPixels(canvas(), 220, 700, 1, 68))
            rows += p == red ? 1 : 0;
        EXPECT_EQ(rows, 20);
    }
}

TEST_F(FullScreen, StatisticsPanelTopRight) {
    const int w = canvas().getWidth();
    canvas().resetFrameCounts().showFrameStatistics();
    canvas().clear(Color::white);
    canvas().flip();
    // Half-transparent black over white, from (w - 100, 1) to (w - 2, 77).
    EXPECT_TRUE(shown(w - 90, 70).sameColor(Rgba{127, 127, 127, 0})) << shown(w - 90, 70);
    EXPECT_TRUE(shown(w - 2, 77).sameColor(Rgba{127, 127, 127, 0}));
    EXPECT_EQ(shown(w - 101, 70), white);
    EXPECT_EQ(shown(w - 90, 78), white);
    EXPECT_EQ(shown(w - 90, 0), white);
    EXPECT_EQ(shown(w - 1, 70), white);
    // droppedFrames 0 in red ending at w - 12 on baseline 21; refreshes 0 in white on 43.
    EXPECT_EQ(shown(w - 24, 8), red);
    EXPECT_EQ(shown(w - 16, 16), red);
    EXPECT_EQ(shown(w - 24, 30), white);

    canvas().hideFrameStatistics();
    canvas().clear(Color::white);
    canvas().flip();
    EXPECT_EQ(shown(w - 90, 70), white);
}

TEST_F(FullScreen, SoftwareCursorIsAWhiteCrossWithABlackBorder) {
    Mouse::setPosition(100, 120);
    ASSERT_EQ(Mouse::x(), 100);
    ASSERT_EQ(Mouse::y(), 120);
    Mouse::showSoftwareCursor();
    canvas().clear(Color::blue);
    canvas().flip();
    Mouse::hideSoftwareCursor();
    const Rgba black{0, 0, 0, 255};
    EXPECT_EQ(shown(100, 120), white);
    EXPECT_EQ(shown(96, 120), white);
    EXPECT_EQ(shown(104, 120), white);
    EXPECT_EQ(shown(100, 116), white);
    EXPECT_EQ(shown(100, 124), white);
    EXPECT_EQ(shown(95, 120), black);
    EXPECT_EQ(shown(105, 120), black);
    EXPECT_EQ(shown(99, 119), black);
    EXPECT_EQ(shown(100, 125), black);
    EXPECT_EQ(shown(94, 120), blue);
    EXPECT_EQ(shown(98, 117), blue);

    canvas().clear(Color::blue);
    canvas().flip();
    EXPECT_EQ(shown(100, 120), blue) << "hidden again";
}

TEST_F(FullScreen, ProgressBarAppearsOnTheFrontBufferAtOnce) {
    canvas().clear(Color::black);
    canvas().flip();
    canvas().progressBar(0.5);
    // 102 x 12 at the origin in (0.25, 0.25, 0.25); the bar to trunc(0.5 x 102) = 51 in blue.
    EXPECT_EQ(front(0, 0), blue);
    EXPECT_EQ(front(51, 11), blue);
    EXPECT_EQ(front(52, 5), (Rgba{64, 64, 64, 255}));
    EXPECT_EQ(front(101, 11), (Rgba{64, 64, 64, 255}));
    EXPECT_FALSE(front(102, 5).lit());
    EXPECT_FALSE(front(50, 12).lit());
    EXPECT_EQ(countLit(canvas(), 0, 0, 110, 20), 0) << "the back buffer is not touched";

    canvas().setProgressBar(10, 20, 29, 24, Color::green, Color::red);
    canvas().progressBar(0.0);
    EXPECT_EQ(front(10, 20), red);
    EXPECT_EQ(front(29, 24), red);
    canvas().progressBar(0.25);
    EXPECT_EQ(front(15, 22), green);
    EXPECT_EQ(front(16, 22), red);
    canvas().setProgressBar(box(0, 0, 101, 11), Color(0, 0, 1, 1), Color(0.25, 0.25, 0.25, 1));
}

TEST_F(FullScreen, FrontBufferClearLeavesTheBackAndSelectsItAgain) {
    canvas().clear(Color::blue, Canvas::back);
    canvas().clear(Color::red, Canvas::front);
    EXPECT_EQ(front(600, 400), red);
    EXPECT_EQ(readPixel(canvas(), 600, 400), blue);
    canvas().rect(box(600, 400, 600, 400), Color::green);
    EXPECT_EQ(readPixel(canvas(), 600, 400), green);
    EXPECT_EQ(front(600, 400), red);
}

// ---------------------------------------------------------------- clearing

class Clear : public CanvasFixture {};

TEST_F(Clear, BackBufferTakesTheColour) {
    canvas().clear(Color(0.5, 0.2, 1.0), Canvas::back);
    EXPECT_EQ(at(0, 0), (Rgba{128, 51, 255, 255}));
    EXPECT_EQ(at(319, 239), (Rgba{128, 51, 255, 255}));
    canvas().clear(Color::green);
    EXPECT_EQ(at(100, 100), green);
}

TEST_F(Clear, BufferCodeOneIsTheBackBufferOtherCodesClearNothing) {
    canvas().clear(Color::red, 1);
    EXPECT_EQ(at(10, 10), red);
    canvas().clear(Color::green, 3);
    canvas().clear(Color::green, 0);
    EXPECT_EQ(at(10, 10), red);
}

TEST_F(Clear, EveryCodeSelectsItsBufferAndLeavesTheBackOneSelected) {
    auto drawBuffer = [] {
        GLint selected = 0;
        glGetIntegerv(GL_DRAW_BUFFER, &selected);
        return selected;
    };
    for (int code : {0, 1, 2, 3, 4, 5}) {
        glDrawBuffer(GL_FRONT);
        canvas().clear(Color::black, code);
        EXPECT_EQ(drawBuffer(), GL_BACK) << "code " << code;
    }
    // A back-buffer clear goes to the back buffer even when the front one was selected.
    canvas().clear(Color::red, Canvas::front);
    glDrawBuffer(GL_FRONT);
    canvas().clear(Color::green, Canvas::back);
    EXPECT_EQ(at(10, 10), green);
    EXPECT_EQ(readPixel(canvas(), 10, 10, Canvas::front), red);
    glDrawBuffer(GL_FRONT);
    canvas().clear(Color::blue, 1);
    EXPECT_EQ(at(10, 10), blue);
    EXPECT_EQ(readPixel(canvas(), 10, 10, Canvas::front), red);
}

TEST_F(Clear, BackgroundColourIsBlackUntilSet) {
    canvas().clear(Color::white);
    canvas().clear(Canvas::back);
    EXPECT_EQ(at(7, 7), (Rgba{0, 0, 0, 255}));
    canvas().setClearColor(Color::blue);
    canvas().clear(Canvas::back);
    EXPECT_EQ(at(7, 7), blue);
    clear(Color::red, Canvas::back); // the free function on the current canvas
    EXPECT_EQ(at(7, 7), red);
    canvas().setClearColor(Color::black);
}

TEST_F(Clear, FreeDrawingFunctionsDrawOnTheCurrentCanvas) {
    ASSERT_EQ(currentCanvas(), &canvas());
    EXPECT_EQ(getWidth(), 320);
    EXPECT_EQ(getHeight(), 240);
    rect(box(2, 2, 3, 3), Color::white);
    pix(9, 9, Color::red);
    segmentText(std::string("1"), 20, 30, Color::green);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 10, 10, white), 4);
    EXPECT_EQ(at(9, 9), red);
    EXPECT_EQ(countPixels(canvas(), 28, 10, 1, 25, green), 14);
}

} // namespace
} // namespace Stimora::Testing
