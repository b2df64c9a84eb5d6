#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "APICanvasProperties.h"
#include "GLCheck.h"
#include "base/Exception.h"
#include "base/Rounding.h"
#include "display/CanvasInternal.h"
#include "display/CanvasSound.h"
#include "display/Display.h"
#include "display/DrawableDummy.h"
#include "display/RasterGlyphs.h"
#include "figures/Colored.h"
#include "figures/Group.h"
#include "figures/Letters.h"
#include "figures/Rectangle.h"

namespace Stimora {

using detail::pi;
using detail::segmentMask;
using detail::segments;

namespace {

Canvas* current_ = nullptr;
// The canvas whose OpenGL context is current on this thread.
Canvas* active_ = nullptr;

void setColor8(const Color& c) {
    glColor4ub(static_cast<GLubyte>(Canvas::quantize(c.r)), static_cast<GLubyte>(Canvas::quantize(c.g)),
               static_cast<GLubyte>(Canvas::quantize(c.b)), static_cast<GLubyte>(Canvas::quantize(c.a)));
}
void setClearColor8(const Color& c) {
    glCheck(glClearColor(static_cast<GLclampf>(Canvas::quantize(c.r) / 255.0),
                         static_cast<GLclampf>(Canvas::quantize(c.g) / 255.0),
                         static_cast<GLclampf>(Canvas::quantize(c.b) / 255.0),
                         static_cast<GLclampf>(Canvas::quantize(c.a) / 255.0)));
}
void setColorFloat(const Color& c) {
    glColor4d(c.r, c.g, c.b, c.a);
}
void setClearColorFloat(const Color& c) {
    glCheck(glClearColor(static_cast<GLclampf>(c.r), static_cast<GLclampf>(c.g), static_cast<GLclampf>(c.b),
                         static_cast<GLclampf>(c.a)));
}

// Color's hardware calibration goes onto the current canvas's display.
template <class Load> bool onCurrentCanvas(Load load) {
    Canvas* canvas = currentCanvas();
    if (canvas == nullptr)
        return false;
    load(*canvas);
    return true;
}
bool loadGammaValues(double r, double g, double b) {
    return onCurrentCanvas([&](Canvas& canvas) { canvas.setGammaValue(r, g, b); });
}
bool loadGammaTables(const std::vector<double>& r, const std::vector<double>& g,
                     const std::vector<double>& b) {
    return onCurrentCanvas([&](Canvas& canvas) { canvas.setGammaTable(r, g, b); });
}

} // namespace

// ---------------------------------------------------------------- construction

Canvas::Canvas()
    : frameStatistics(statistics), backgroundColor(Color::black), progressGray(0.5, 0.5, 0.5, 1.0),
      progressBarColor(0.0, 0.0, 1.0, 1.0), progressBackColor(0.25, 0.25, 0.25, 1.0),
      progressMagenta(1.0, 0.0, 1.0, 1.0) {
    Color::installHardwareGamma({loadGammaValues, loadGammaTables});
}

Canvas::Canvas(int mode, const Display& display) : Canvas() {
    set(mode, display);
}

Canvas::Canvas(int width_, int height_, const Display& display) : Canvas() {
    set(width_, height_, display);
}

Canvas::Canvas(const Rectangle& rectangle) : Canvas() {
    set(rectangle);
}

Canvas::Canvas(int width_, int height_, int colorDepth_, double refreshRate_, const Display& display)
    : Canvas() {
    set(width_, height_, colorDepth_, refreshRate_, display);
}

Canvas::~Canvas() {
    release();
}

void Canvas::close() {
    release();
}

void Canvas::refuseIfInitialized() const {
    if (initialized)
        throw alreadyInitialized;
}

Canvas& Canvas::set(int mode, const Display& display) {
    refuseIfInitialized();
    active_ = nullptr; // a new context becomes current, or none if this fails
    api.reset(mode == fullscreen ? new APICanvasProperties(display)
                                 : new APICanvasProperties(800, 600, display));
    initialize();
    return *this;
}

// Refused on an initialised canvas too: replacing the platform half unreleased would leave
// its window, context and display mode behind.
Canvas& Canvas::set(int width_, int height_, const Display& display) {
    refuseIfInitialized();
    active_ = nullptr; // a new context becomes current, or none if this fails
    api.reset(new APICanvasProperties(width_, height_, display));
    initialize();
    return *this;
}

Canvas& Canvas::set(const Rectangle& rectangle) {
    refuseIfInitialized();
    active_ = nullptr; // a new context becomes current, or none if this fails
    api.reset(new APICanvasProperties(
        static_cast<int>(rectangle.getLeft()), static_cast<int>(rectangle.getTop()),
        static_cast<int>(rectangle.getWidth()), static_cast<int>(rectangle.getHeight())));
    initialize();
    return *this;
}

Canvas& Canvas::set(int width_, int height_, int colorDepth_, double refreshRate_, const Display& display) {
    refuseIfInitialized();
    active_ = nullptr; // a new context becomes current, or none if this fails
    api.reset(new APICanvasProperties(width_, height_, colorDepth_, refreshRate_, display));
    initialize();
    return *this;
}

void Canvas::activate() {
    // A canvas that was never set (or failed to) has nothing to draw into.
    if (!api)
        DrawableDummy::instance().refuse();
    if (active_ != this) {
        api->makeCurrent();
        active_ = this;
    }
}

void Canvas::initialize() {
    initialized = true;
    active_ = this; // creating the platform half made its context current
    try {
        // 1. Registration.
        if (!current_)
            current_ = this;
        if (&defaultTarget() == &DrawableDummy::instance())
            setDefaultTarget(this);
        if (overlayGroup().size() >= 1)
            overlay.push_back(&overlayGroup());

        // 2. Reset.
        statistics = FrameStatistics();
        countedFrames = countedDrops = lastDrops = 0;
        holdFrames = 0;
        lastInterval = 0.0;
        framePeriod = 0.0;
        lastSwapEnd.update();
        beforeLastSwap.update();
        thirdClock.update();
        lastFlipTime = lastSwapEnd;
        lastFlipInterval = 0.0;
        log.stop();
        counting = countingArmed = statisticsShown = false;
        progressRectangle.set(102, 12);
        progressGray.set(0.5, 0.5, 0.5, 1.0);
        progressBarColor.set(0.0, 0.0, 1.0, 1.0);
        progressBackColor.set(0.25, 0.25, 0.25, 1.0);
        progressMagenta.set(1.0, 0.0, 1.0, 1.0);

        // 3. The surface the platform gave us. A virtual display reports no refresh rate;
        // 60 Hz keeps the hold targets finite.
        width = api->width;
        height = api->height;
        colorDepth = api->colorDepth;
        refreshRate = api->refreshRate > 0.0 ? api->refreshRate : 60.0;
        refreshRateCopy = refreshRate;
        framePeriod = 1000.0 / refreshRate;
        refreshSource = api->simulatedRefresh ? refreshSimulated : api->paced ? refreshPaced : refreshDisplay;
        centerX = width * 0.5;
        centerY = height * 0.5;

        // 4, 5.
        setupGraphics();
        buildDisplayLists();

        // 6.
        backgroundColor = Color::black;
        spareRectangle.set(width, height);

        // 7. The narrow-text glyphs: built once per process, uploaded into every new context.
        RasterGlyphs::shared().upload();

        // 8. Without refresh-locked swaps the timing cannot be trusted: say so on every frame.
        if (!api->vsyncEnabled)
            showSyncWarning();

        // The refresh as this canvas really gets it.
        measureRefresh();
    } catch (...) {
        release();
        throw;
    }
}

// The red bar and its text, drawn over every frame whose timing the refresh does not lock.
void Canvas::showSyncWarning() {
    auto* bar = new Shape::Colored<Rectangle>(600.0, 20.0);
    ownedFigures.push_back(bar);
    bar->fill = Color::red;
    bar->centerAt(getCenter().x, getHeight() - 20);
    overlay.push_back(bar);
    try {
        auto* text = new Shape::Colored<Letters>(u"Executing without synchronization with Monitor Vsync",
                                                 Font(12, 400, 0, "default"));
        ownedFigures.push_back(text);
        text->fill = Color(1.0, 1.0, 1.0, 1.0);
        Point at = bar->getDatum();
        at.y += 5;
        text->centerAt(at);
        // A canvas that is not the default drawing target caches it itself.
        if (!text->isCached())
            cacheLetters(*text, true);
        overlay.push_back(text);
    } catch (const Exception&) {
        // Without a usable font the red bar alone carries the warning.
    }
}

void Canvas::release() {
    if (initialized && log.isOn())
        std::fprintf(stderr, "%s\n", timingReport().c_str());
    if (initialized) {
        activate(); // the figures and texts below free their lists in this context
        for (Figure* figure : ownedFigures)
            delete figure;
        ownedFigures.clear();
        for (Figure* letters : messageCache)
            delete letters;
        messageCache.clear();
        // Open canvases share their objects, so this canvas's lists outlive its context
        // unless deleted here; each name is its own.
        if (segmentLists != 0)
            glCheck(glDeleteLists(segmentLists, 128));
        if (fillEllipseLists != 0)
            glCheck(glDeleteLists(fillEllipseLists, 4));
        if (lineEllipseLists != 0)
            glCheck(glDeleteLists(lineEllipseLists, 4));
        segmentLists = fillEllipseLists = lineEllipseLists = 0;
        if (api)
            api->release();
        api.reset();
        active_ = nullptr; // no context is current any more
    }
    if (current_ == this)
        current_ = nullptr;
    if (&defaultTarget() == static_cast<Drawable*>(this))
        setDefaultTarget(nullptr);
    initialized = false;
    overlay.clear();
    ownedFigures.clear();
    messageCache.clear();
}

// ---------------------------------------------------------------- OpenGL set-up

void Canvas::setupGraphics() {
    activate();
    if (colorDepth == 24 || colorDepth == 32) {
        setColor = setColor8;
        applyClearColor = setClearColor8;
    } else {
        setColor = setColorFloat;
        applyClearColor = setClearColorFloat;
    }

    // Origin on the top-left pixel, y downwards; integer coordinates fall 0.375 pixel inside
    // their pixel, so points, lines and filled rectangles land on whole pixels.
    glCheck(glViewport(0, 0, width, height));
    glCheck(glMatrixMode(GL_PROJECTION));
    glCheck(glDrawBuffer(GL_BACK));
    glCheck(glReadBuffer(GL_BACK));
    glCheck(glLoadIdentity());
    glCheck(glOrtho(-0.375, width - 0.375, height - 0.375, -0.375, -1.0, 1.0));
    glCheck(glMatrixMode(GL_MODELVIEW));
    glCheck(glLoadIdentity());

    pushDefaultState();

    // Both buffers start black; the two flips also prime the frame timing.
    glCheck(glClearColor(0.0f, 0.0f, 0.0f, 1.0f));
    clear(back);
    flip(2);
    clear(back);
    flip(2);
}

void Canvas::pushDefaultState() {
    activate();
    glCheck(glPushAttrib(GL_ALL_ATTRIB_BITS));
    glCheck(glShadeModel(GL_FLAT));
    glCheck(glEnable(GL_ALPHA_TEST));
    glCheck(glEnable(GL_BLEND));
    glCheck(glEnable(GL_LINE_STIPPLE));
    glCheck(glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
    glCheck(glDisable(GL_POINT_SMOOTH));
    glCheck(glDisable(GL_LINE_SMOOTH));
    glCheck(glDisable(GL_POLYGON_SMOOTH));
    glCheck(glDisable(GL_DEPTH_TEST));
    glCheck(glDisable(GL_DITHER));
    glCheck(glDisable(GL_FOG));
    glCheck(glDisable(GL_LIGHTING));
    glCheck(glDisable(GL_INDEX_LOGIC_OP));
    glCheck(glDisable(GL_COLOR_LOGIC_OP));
    glCheck(glDisable(GL_STENCIL_TEST));
    glCheck(glDisable(GL_TEXTURE_1D));
    glCheck(glDisable(GL_TEXTURE_2D));
    glCheck(glPixelTransferi(GL_MAP_COLOR, GL_FALSE));
    glCheck(glPixelTransferi(GL_MAP_STENCIL, GL_FALSE));
    glCheck(glPixelTransferf(GL_RED_SCALE, 1.0f));
    glCheck(glPixelTransferf(GL_GREEN_SCALE, 1.0f));
    glCheck(glPixelTransferf(GL_BLUE_SCALE, 1.0f));
    glCheck(glPixelTransferf(GL_ALPHA_SCALE, 1.0f));
    glCheck(glPixelTransferf(GL_RED_BIAS, 0.0f));
    glCheck(glPixelTransferf(GL_GREEN_BIAS, 0.0f));
    glCheck(glPixelTransferf(GL_BLUE_BIAS, 0.0f));
    glCheck(glPixelTransferf(GL_ALPHA_BIAS, 0.0f));
    glCheck(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_ROWS, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0));
    glCheck(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    glCheck(glPixelStoref(GL_UNPACK_ALIGNMENT, 4.0f));
    glCheck(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    glCheck(glPixelStoref(GL_PACK_ALIGNMENT, 4.0f));
    glCheck(glPolygonMode(GL_FRONT_AND_BACK, GL_FILL));
}

void Canvas::popState() {
    activate();
    glCheck(glPopAttrib());
}

void Canvas::buildDisplayLists() {
    // Circles inscribed in the unit square at four resolutions: n = 5^(2 + 0.2 k) steps
    // (25, 34.49, 47.59, 65.66), every whole j < n, plus a closing vertex at t = 0.
    fillEllipseLists = glCheckValue(glGenLists(4));
    lineEllipseLists = glCheckValue(glGenLists(4));
    for (unsigned k = 0; k < 4; ++k) {
        const double n = std::pow(5.0, 2.0 + 0.2 * k);
        for (int outline = 0; outline < 2; ++outline) {
            glCheck(glNewList((outline ? lineEllipseLists : fillEllipseLists) + k, GL_COMPILE));
            glBegin(outline ? GL_LINE_LOOP : GL_POLYGON);
            for (int j = 0; j < n; ++j) {
                const double t = 2.0 * pi * j / n;
                glVertex2f(static_cast<GLfloat>(0.5 + 0.5 * std::cos(t)),
                           static_cast<GLfloat>(0.5 + 0.5 * std::sin(t)));
            }
            glVertex2f(1.0f, 0.5f);
            glCheck(glEnd());
            glCheck(glEndList());
        }
    }

    segmentLists = glCheckValue(glGenLists(128));
    for (int code = 0; code < 128; ++code) {
        glCheck(glNewList(segmentLists + code, GL_COMPILE));
        const unsigned char mask = segmentMask(code);
        if (mask) {
            glBegin(GL_LINES);
            for (int j = 0; j < 7; ++j) {
                if (mask & (1u << j)) {
                    glVertex2i(segments[j][0], segments[j][1]);
                    glVertex2i(segments[j][2], segments[j][3]);
                }
            }
            glCheck(glEnd());
        } else {
            glBegin(GL_POINTS);
            glVertex2i(8, 0);
            glCheck(glEnd());
        }
        glCheck(glEndList());
    }
}

int Canvas::quantize(double v) {
    const double y = v * 255.0 + 0.5;
    if (y >= 0.0 && y < 2147483648.0) {
        // Every colour of a frame passes here: the same rule without the library calls.
        const int whole = static_cast<int>(y);
        const int i = whole & 0xFF;
        return y != whole ? i : (i % 2 == 0 ? i : i - 1) & 0xFF;
    }
    if (!std::isfinite(y))
        return 0;
    double whole = 0.0;
    const double fraction = std::modf(y, &whole);
    // Only the lowest 8 bits are kept, and 256 is even: reducing first keeps the cast defined
    // and the parity that decides the tie.
    const int i = static_cast<int>(std::fmod(whole, 256.0));
    const int rounded = fraction != 0.0 ? i : (i % 2 == 0 ? i : i - 1);
    return rounded & 0xFF;
}

Canvas& Canvas::clear(int buffer) {
    activate();
    return clear(backgroundColor, buffer);
}

Canvas& Canvas::clear(const Color& color, int buffer) {
    activate();
    applyClearColor(color);
    // Code 1 is read as the back buffer: the frame being drawn is the one buffer a caller
    // can mean without naming it. The buffer is selected even when it is the back one, and
    // the back buffer afterwards whatever the code, so a draw buffer left on the front by
    // other code never takes a clear meant for the frame being drawn.
    if (buffer == 1 || buffer == back || buffer == front) {
        glCheck(glDrawBuffer(buffer == front ? GL_FRONT : GL_BACK));
        glCheck(glClear(GL_COLOR_BUFFER_BIT));
    }
    glCheck(glDrawBuffer(GL_BACK));
    return *this;
}

Canvas& Canvas::clear(const Color& color) {
    activate();
    return clear(color, back);
}

Canvas& Canvas::setClearColor(const Color& color) {
    backgroundColor = color;
    return *this;
}

// ---------------------------------------------------------------- queries

int Canvas::getWidth() {
    return width;
}
int Canvas::getHeight() {
    return height;
}
Point Canvas::getCenter() {
    return Point(getCenterX(), getCenterY(), 0.0);
}
double Canvas::getCenterX() {
    return width / 2 - 0.5;
}
double Canvas::getCenterY() {
    return height / 2 - 0.5;
}
double Canvas::getRefreshRate() {
    return refreshRate;
}
int Canvas::getColorDepth() {
    return colorDepth;
}

// ---------------------------------------------------------------- visual angle

Canvas& Canvas::setGeometry(double physicalWidth_, double physicalHeight_, double viewingDistance_,
                            int pixelWidth_, int pixelHeight_) {
    physicalWidth = physicalWidth_;
    physicalHeight = physicalHeight_;
    viewingDistance = viewingDistance_;
    pixelWidth = pixelWidth_;
    pixelHeight = pixelHeight_;
    return *this;
}

namespace {
// trunc(2 tan(degrees pi / 360) pixels / physical x distance); without a geometry (physical
// size 0) the quotient is not finite and no pixel count exists: 0.
int visualAngleToPixels(double degrees, int pixels, double physical, double distance) {
    const double v = 2.0 * std::tan(degrees * pi / 360.0) * pixels / physical * distance;
    return std::isfinite(v) ? truncateToInt(v) : 0;
}
} // namespace

int Canvas::degreesToPixelsX(double degrees) {
    return visualAngleToPixels(degrees, pixelWidth, physicalWidth, viewingDistance);
}
int Canvas::degreesToPixelsY(double degrees) {
    return visualAngleToPixels(degrees, pixelHeight, physicalHeight, viewingDistance);
}
int Canvas::getPixelWidth() {
    return pixelWidth;
}
int Canvas::getPixelHeight() {
    return pixelHeight;
}

// ---------------------------------------------------------------- gamma, letters

Canvas& Canvas::setGammaValue(double r, double g, double b) {
    if (initialized && api)
        api->setGammaValue(r, g, b);
    return *this;
}

Canvas& Canvas::setGammaTable(const std::vector<double>& r, const std::vector<double>& g,
                              const std::vector<double>& b) {
    if (initialized && api)
        api->setGammaTable(r, g, b);
    return *this;
}

Canvas& Canvas::cacheLetters(Letters& text, bool on) {
    activate();
    // The lists are made in this canvas's context, the current one on its thread.
    text.buildGlyphCache(on);
    return *this;
}

// ---------------------------------------------------------------- points and lines

// ---------------------------------------------------------------- process-wide state

Canvas* currentCanvas() {
    return current_;
}

Canvas* isCanvasTarget() {
    return dynamic_cast<Canvas*>(&defaultTarget());
}

Group& overlayGroup() {
    static Group group;
    return group;
}

void registerOverlay(Figure& figure) {
    if (Canvas* canvas = isCanvasTarget())
        canvas->overlay.push_back(&figure);
    else
        overlayGroup().append(figure);
}

} // namespace Stimora
