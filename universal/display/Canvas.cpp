#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "APICanvasProperties.h"
#include "APIFontProperties.h"
#include "APIImageProperties.h"
#include "application/Exception.h"
#include "devices/Mouse.h"
#include "display/DrawableDummy.h"
#include "display/RasterGlyphs.h"
#include "figures/Colored.h"
#include "figures/Ellipse.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Letters.h"
#include "figures/Line.h"
#include "figures/Polygon.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"
#include "math/Rounding.h"

namespace Stimora {

namespace {

Canvas* current_ = nullptr;
// The canvas whose OpenGL context is current on this thread.
Canvas* active_ = nullptr;

constexpr double pi = 3.14159265358979323846;
// Character advance of the seven-segment font, and its size value (line height = size + 3).
constexpr double segmentAdvance = 12.0;
constexpr int segmentFontSize = 19;
// Segment masks by character code; bit j draws segment j.
constexpr unsigned char segmentMask(int code) {
    constexpr unsigned char digits[10] = {119, 36, 93, 109, 46, 107, 123, 39, 127, 47};
    constexpr unsigned char letters[10] = {63, 122, 83, 124, 91, 27, 115, 62, 32, 100};
    if (code >= '0' && code <= '9')
        return digits[code - '0'];
    if (code >= 'A' && code <= 'J')
        return letters[code - 'A'];
    if (code == '-')
        return 8;
    if (code == 'O' || code == '!')
        return 119;
    return 0;
}
// Segments as integer end points on the 8 x 16 cell, baseline y = 0, top y = -16.
constexpr int segments[7][4] = {{1, -16, 8, -16}, {0, -15, 0, -8}, {8, -15, 8, -8}, {1, -8, 8, -8},
                                {0, -7, 0, 0},    {8, -7, 8, 0},   {1, 0, 8, 0}};

void setColor8(const Color& c) {
    glColor4ub(static_cast<GLubyte>(Canvas::quantize(c.r)), static_cast<GLubyte>(Canvas::quantize(c.g)),
               static_cast<GLubyte>(Canvas::quantize(c.b)), static_cast<GLubyte>(Canvas::quantize(c.a)));
}
void setClearColor8(const Color& c) {
    glClearColor(static_cast<GLclampf>(Canvas::quantize(c.r) / 255.0),
                 static_cast<GLclampf>(Canvas::quantize(c.g) / 255.0),
                 static_cast<GLclampf>(Canvas::quantize(c.b) / 255.0),
                 static_cast<GLclampf>(Canvas::quantize(c.a) / 255.0));
}
void setColorFloat(const Color& c) {
    glColor4d(c.r, c.g, c.b, c.a);
}
void setClearColorFloat(const Color& c) {
    glClearColor(static_cast<GLclampf>(c.r), static_cast<GLclampf>(c.g), static_cast<GLclampf>(c.b),
                 static_cast<GLclampf>(c.a));
}

// Saves the attributes (and optionally the model-view matrix) and puts them back however
// the scope is left, so a figure that throws mid-draw does not unbalance the GL stacks.
class SavedState {
public:
    explicit SavedState(bool matrix) : matrix_(matrix) {
        if (matrix_)
            glPushMatrix();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    }
    ~SavedState() {
        glPopAttrib();
        if (matrix_)
            glPopMatrix();
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    bool matrix_;
};

// Which of the four ellipse resolutions serves a width in pixels.
unsigned ellipseList(double width) {
    return width < 8 ? 0 : width < 64 ? 1 : width < 512 ? 2 : 3;
}

Rectangle boundsOf(const Ellipse& ellipse) {
    Rectangle bounds;
    bounds.set(ellipse.width, ellipse.height);
    bounds.centerAt(ellipse.getDatum().x, ellipse.getDatum().y);
    return bounds;
}

} // namespace

// ---------------------------------------------------------------- construction

Canvas::Canvas()
    : frameStatistics(statistics), backgroundColor(Color::black), progressGray(0.5, 0.5, 0.5, 1.0),
      progressBarColor(0.0, 0.0, 1.0, 1.0), progressBackColor(0.25, 0.25, 0.25, 1.0),
      progressMagenta(1.0, 0.0, 1.0, 1.0) {}

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
    if (active_ != this && api) {
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
        if (!api->vsyncEnabled) {
            auto* bar = new Shape::Colored<Rectangle>(600.0, 20.0);
            ownedFigures.push_back(bar);
            bar->fill = Color::red;
            bar->centerAt(getCenter().x, getHeight() - 20);
            overlay.push_back(bar);
            try {
                auto* text = new Shape::Colored<Letters>(
                    u"Executing without synchronization with Monitor Vsync", Font(12, 400, 0, "default"));
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
    } catch (...) {
        release();
        throw;
    }
}

void Canvas::release() {
    if (initialized) {
        activate(); // the figures and texts below free their lists in this context
        for (Figure* figure : ownedFigures)
            delete figure;
        ownedFigures.clear();
        for (Figure* letters : messageCache)
            delete letters;
        messageCache.clear();
        // The display lists go with the context. Deleting them by name here could hit another
        // canvas's lists when its context is the current one.
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
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glLoadIdentity();
    glOrtho(-0.375, width - 0.375, height - 0.375, -0.375, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    pushDefaultState();

    // Both buffers start black; the two flips also prime the frame timing.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    clear(back);
    flip(2);
    clear(back);
    flip(2);
}

void Canvas::pushDefaultState() {
    activate();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glShadeModel(GL_FLAT);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_STIPPLE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_DITHER);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_INDEX_LOGIC_OP);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelTransferi(GL_MAP_STENCIL, GL_FALSE);
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);
    glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStoref(GL_UNPACK_ALIGNMENT, 4.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStoref(GL_PACK_ALIGNMENT, 4.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void Canvas::popState() {
    activate();
    glPopAttrib();
}

void Canvas::buildDisplayLists() {
    // Circles inscribed in the unit square at four resolutions: n = 5^(2 + 0.2 k) steps
    // (25, 34.49, 47.59, 65.66), every whole j < n, plus a closing vertex at t = 0.
    fillEllipseLists = glGenLists(4);
    lineEllipseLists = glGenLists(4);
    for (unsigned k = 0; k < 4; ++k) {
        const double n = std::pow(5.0, 2.0 + 0.2 * k);
        for (int outline = 0; outline < 2; ++outline) {
            glNewList((outline ? lineEllipseLists : fillEllipseLists) + k, GL_COMPILE);
            glBegin(outline ? GL_LINE_LOOP : GL_POLYGON);
            for (int j = 0; j < n; ++j) {
                const double t = 2.0 * pi * j / n;
                glVertex2f(static_cast<GLfloat>(0.5 + 0.5 * std::cos(t)),
                           static_cast<GLfloat>(0.5 + 0.5 * std::sin(t)));
            }
            glVertex2f(1.0f, 0.5f);
            glEnd();
            glEndList();
        }
    }

    segmentLists = glGenLists(128);
    for (int code = 0; code < 128; ++code) {
        glNewList(segmentLists + code, GL_COMPILE);
        const unsigned char mask = segmentMask(code);
        if (mask) {
            glBegin(GL_LINES);
            for (int j = 0; j < 7; ++j) {
                if (mask & (1u << j)) {
                    glVertex2i(segments[j][0], segments[j][1]);
                    glVertex2i(segments[j][2], segments[j][3]);
                }
            }
            glEnd();
        } else {
            glBegin(GL_POINTS);
            glVertex2i(8, 0);
            glEnd();
        }
        glEndList();
    }
}

int Canvas::quantize(double v) {
    const double y = v * 255.0 + 0.5;
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

// ---------------------------------------------------------------- frames

Canvas& Canvas::flip() {
    activate();
    return flip(1);
}

Canvas& Canvas::flip(int frames) {
    activate();
    if (frames < 1)
        throw Exception(typeid(Canvas), "ARGUMENT ERROR", "frame duration must be more than zero.");

    // Index loop: a figure may append to the overlay while it is drawn.
    for (std::size_t i = 0; i < overlay.size(); ++i)
        overlay[i]->draw(*this);
    if (statisticsShown)
        drawStatistics();
    drawSoftwareCursor();
    // The cursor goes to the default drawing target, which may be another canvas: finish
    // and swap in this one's context.
    activate();
    glFinish();

    // Hold the frame now on screen for its refreshes; a one-refresh frame only needs a
    // short guard so that two swaps never fall into one refresh.
    const double hold = holdFrames >= 2 ? holdFrames * framePeriod : 0.1 * framePeriod;
    Clock now;
    do {
        now.update();
    } while ((now - beforeLastSwap).milliseconds() < hold);

    beforeLastSwap.update();
    api->swapBuffers();
    holdFrames = frames;

    now.update();
    lastInterval = (now - lastSwapEnd).milliseconds();
    lastSwapEnd = now;

    if (counting) {
        countedFrames += frames;
        if (countingArmed) {
            // One drop from framePeriod + 1 ms past the frame's own hold, two from
            // 2 framePeriod + 1 ms, ...; an early frame gives a negative count.
            const int missed = static_cast<int>(
                std::floor(((lastInterval - 1.0) - (holdFrames - 1) * framePeriod) / framePeriod));
            countedDrops += missed;
            statistics.droppedFrames = countedDrops;
            lastDrops = missed;
            statistics.frames = countedFrames;
            statistics.lastDroppedFrames = missed;
            if (missed != 0)
                statistics.flipsWithDrops += 1;
            statistics.refreshes = countedDrops + countedFrames;
        } else {
            countingArmed = true;
        }
    }
    return *this;
}

namespace {
[[noreturn]] void refuseFractionalFrames() {
    throw Exception(typeid(Canvas), "Specification Error", "Canvas::flip can not accept float point number.");
}
} // namespace

Canvas& Canvas::flip(float) {
    refuseFractionalFrames();
}
Canvas& Canvas::flip(double) {
    refuseFractionalFrames();
}
Canvas& Canvas::flip(long double) {
    refuseFractionalFrames();
}

Canvas& Canvas::flipAfter(int frames) {
    holdFrames += frames - 1;
    return flip(1);
}

void Canvas::drawStatistics() {
    // Panel of 3.5 lines of the seven-segment font (line height 19 + 3 = 22).
    constexpr int lineHeight = segmentFontSize + 3;
    Rectangle panel;
    panel.set(width - 100, 1, width - 2, static_cast<int>(3.5 * lineHeight));
    rect(panel, Color(Color::raw, 0.0, 0.0, 0.0, 0.5));

    char text[16];
    const double right = width - 12;
    std::snprintf(text, sizeof text, "%i", statistics.droppedFrames);
    segmentText(text, right, lineHeight - 1, Color::red, false);
    std::snprintf(text, sizeof text, "%i", statistics.refreshes);
    segmentText(text, right, 2 * lineHeight - 1, Color::white, false);
    std::snprintf(text, sizeof text, "%i", static_cast<int>(lastInterval));
    const Color& intervalColor = statistics.lastDroppedFrames >= 1 ? Color::red
                                 : lastInterval > framePeriod      ? Color::cyan
                                                                   : Color::white;
    segmentText(text, right, 3 * lineHeight - 1, intervalColor, false);
}

void Canvas::drawSoftwareCursor() {
    if (!Mouse::softwareCursorShown())
        return;
    // A white cross with a black border on the last polled cursor position.
    const double x = Mouse::x(), y = Mouse::y();
    Drawable& target = defaultTarget();
    Rectangle bar;
    target.rect(bar.set(11, 3).centerAt(x, y), Color::black);
    target.rect(bar.set(3, 11).centerAt(x, y), Color::black);
    target.rect(bar.set(9, 1).centerAt(x, y), Color::white);
    target.rect(bar.set(1, 9).centerAt(x, y), Color::white);
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
        glDrawBuffer(buffer == front ? GL_FRONT : GL_BACK);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDrawBuffer(GL_BACK);
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

// ---------------------------------------------------------------- statistics

Canvas& Canvas::startFrameCounting() {
    counting = true;
    lastSwapEnd.update();
    return *this;
}

Canvas& Canvas::stopFrameCounting() {
    counting = false;
    countingArmed = false;
    return *this;
}

Canvas& Canvas::resetFrameCounts() {
    countedFrames = 0;
    countedDrops = 0;
    statistics.frames = 0;
    statistics.droppedFrames = 0;
    statistics.refreshes = 0;
    return *this;
}

int Canvas::getLastDroppedFrames() {
    return lastDrops;
}

Canvas& Canvas::showFrameStatistics() {
    statisticsShown = true;
    return *this;
}

Canvas& Canvas::hideFrameStatistics() {
    statisticsShown = false;
    return *this;
}

// ---------------------------------------------------------------- progress bar

Canvas& Canvas::progressBar(double fraction) {
    activate();
    if (fraction > 1.0)
        fraction = 1.0;
    glDrawBuffer(GL_FRONT);
    rect(progressRectangle, progressBackColor);
    if (fraction > 0.0) {
        const double left = progressRectangle.getLeft();
        Rectangle bar;
        bar.set(left, progressRectangle.getTop(), left + std::trunc(fraction * progressRectangle.getWidth()),
                progressRectangle.getBottom());
        rect(bar, progressBarColor);
    }
    glFlush();
    glDrawBuffer(GL_BACK);
    return *this;
}

Canvas& Canvas::setProgressBar(const Rectangle& rectangle, const Color& barColor, const Color& backColor) {
    progressRectangle.set(rectangle);
    progressBarColor = barColor;
    progressBackColor = backColor;
    return *this;
}

Canvas& Canvas::setProgressBar(double left, double top, double right, double bottom, const Color& barColor,
                               const Color& backColor) {
    progressRectangle.set(left, top, right, bottom);
    progressBarColor = barColor;
    progressBackColor = backColor;
    return *this;
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
    if (!std::isfinite(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
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

Canvas& Canvas::pix(double x, double y, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    glVertex2d(x, y);
    glEnd();
    return *this;
}

Canvas& Canvas::pix(const Point& point, const Color& color) {
    activate();
    return pix(point.x, point.y, color);
}

Canvas& Canvas::points(int count, const double* xs, const double* ys, const Color* colors) {
    activate();
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i) {
        setColor(colors[i]);
        glVertex2d(xs[i], ys[i]);
    }
    glEnd();
    return *this;
}

Canvas& Canvas::points(int count, const double* xs, const double* ys, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i)
        glVertex2d(xs[i], ys[i]);
    glEnd();
    return *this;
}

Canvas& Canvas::points(int count, const Point* points_, const Color* colors) {
    activate();
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i) {
        setColor(colors[i]);
        glVertex2d(points_[i].x, points_[i].y);
    }
    glEnd();
    return *this;
}

Canvas& Canvas::points(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glEnd();
    return *this;
}

void Canvas::beginStroke(const Stroke& stroke) {
    setColor(stroke.color);
    glLineWidth(static_cast<GLfloat>(stroke.width));
    glLineStipple(roundToInt(stroke.width), stroke.pattern);
}

Canvas& Canvas::line(double x1, double y1, double x2, double y2, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_LINES);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
    glEnd();
    return *this;
}

Canvas& Canvas::line(const Point& point1, const Point& point2, const Color& color) {
    activate();
    return line(point1.x, point1.y, point2.x, point2.y, color);
}

Canvas& Canvas::line(const Line& line_, const Color& color) {
    activate();
    return line(line_.getStart(), line_.getEnd(), color);
}

Canvas& Canvas::line(double x1, double y1, double x2, double y2, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINES);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
    glEnd();
    return *this;
}

Canvas& Canvas::line(const Point& point1, const Point& point2, const Stroke& stroke) {
    activate();
    return line(point1.x, point1.y, point2.x, point2.y, stroke);
}

Canvas& Canvas::line(const Line& line_, const Stroke& stroke) {
    activate();
    return line(line_.getStart(), line_.getEnd(), stroke);
}

Canvas& Canvas::lines(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_LINES);
    for (int i = 0; i < 2 * count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glEnd();
    return *this;
}

Canvas& Canvas::lines(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINES);
    for (int i = 0; i < 2 * count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glEnd();
    return *this;
}

Canvas& Canvas::polyline(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glEnd();
    return *this;
}

Canvas& Canvas::polyline(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glEnd();
    return *this;
}

// ---------------------------------------------------------------- rectangles

namespace {
void fillRectangle(const Rectangle& r) {
    glRectd(r.getLeft(), r.getTop(), r.getRight() + 1.0, r.getBottom() + 1.0);
}
void outlineRectangle(const Rectangle& r) {
    glBegin(GL_LINE_LOOP);
    glVertex2d(r.getLeft(), r.getTop());
    glVertex2d(r.getRight(), r.getTop());
    glVertex2d(r.getRight(), r.getBottom());
    glVertex2d(r.getLeft(), r.getBottom());
    glEnd();
}
} // namespace

Canvas& Canvas::rect(const Rectangle& rectangle, const Color& color) {
    activate();
    if (setColor)
        setColor(color);
    fillRectangle(rectangle);
    return *this;
}

Canvas& Canvas::rect(const Rectangle& rectangle, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    outlineRectangle(rectangle);
    return *this;
}

Canvas& Canvas::rect(int count, const Rectangle* rectangles, const Color& color) {
    activate();
    setColor(color);
    for (int i = 0; i < count; ++i)
        fillRectangle(rectangles[i]);
    return *this;
}

Canvas& Canvas::rect(int count, const Rectangle* rectangles, const Color* colors) {
    activate();
    for (int i = 0; i < count; ++i)
        rect(rectangles[i], colors[i]);
    return *this;
}

Canvas& Canvas::rect(const Rectangle* rectangles, const Color* colors, int from, int to) {
    activate();
    for (int i = from; i < to; ++i)
        rect(rectangles[i], colors[i]);
    return *this;
}

Canvas& Canvas::rect(int count, const Rectangle* rectangles, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    for (int i = 0; i < count; ++i)
        outlineRectangle(rectangles[i]);
    return *this;
}

Canvas& Canvas::rect(int count, const Rectangle* rectangles, const Stroke* strokes) {
    activate();
    for (int i = 0; i < count; ++i)
        rect(rectangles[i], strokes[i]);
    return *this;
}

Canvas& Canvas::rect(const Rectangle* rectangles, const Stroke* strokes, int from, int to) {
    activate();
    for (int i = from; i < to; ++i)
        rect(rectangles[i], strokes[i]);
    return *this;
}

// ---------------------------------------------------------------- ellipses

void Canvas::fillEllipse(const Rectangle& bounds, const Color& color) {
    const double w = bounds.getRight() - bounds.getLeft() + 1.0;
    const double h = bounds.getBottom() - bounds.getTop() + 1.0;
    SavedState saved(true);
    setColor(color);
    glTranslated(bounds.getLeft(), bounds.getTop(), 0.0);
    glScaled(w, h + 1.0, 1.0);
    glCallList(fillEllipseLists + ellipseList(w));
}

void Canvas::outlineEllipse(const Rectangle& bounds, const Stroke& stroke) {
    const double w = bounds.getRight() - bounds.getLeft() + 1.0;
    const double h = bounds.getBottom() - bounds.getTop() + 1.0;
    SavedState saved(true);
    beginStroke(stroke);
    glTranslated(bounds.getLeft(), bounds.getTop(), 0.0);
    glScaled(w, h + 1.0, 1.0);
    glCallList(lineEllipseLists + ellipseList(w));
}

Canvas& Canvas::ellipse(const Ellipse& ellipse_, const Color& color) {
    activate();
    fillEllipse(boundsOf(ellipse_), color);
    return *this;
}

Canvas& Canvas::ellipse(const Ellipse& ellipse_, const Stroke& stroke) {
    activate();
    outlineEllipse(boundsOf(ellipse_), stroke);
    return *this;
}

Canvas& Canvas::ellipse(const Rectangle& rectangle, const Color& color) {
    activate();
    fillEllipse(rectangle, color);
    return *this;
}

Canvas& Canvas::ellipse(const Rectangle& rectangle, const Stroke& stroke) {
    activate();
    outlineEllipse(rectangle, stroke);
    return *this;
}

// ---------------------------------------------------------------- polygons

namespace {
void polygonVertices(const Polygon& polygon, GLenum mode) {
    const Point datum = polygon.getDatum();
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(datum.x), static_cast<GLfloat>(datum.y), static_cast<GLfloat>(datum.z));
    glBegin(mode);
    for (const Point& p : polygon.vertices)
        glVertex3d(p.x, p.y, p.z);
    glEnd();
    glPopMatrix();
}
} // namespace

Canvas& Canvas::polygon(const Polygon& polygon_, const Color& color) {
    activate();
    if (polygon_.empty())
        return *this;
    setColor(color);
    polygonVertices(polygon_, GL_POLYGON);
    return *this;
}

Canvas& Canvas::polygon(const Polygon& polygon_) {
    activate();
    if (polygon_.empty())
        return *this;
    polygonVertices(polygon_, GL_POLYGON);
    return *this;
}

Canvas& Canvas::polygon(const Polygon& polygon_, const Stroke& stroke) {
    activate();
    if (polygon_.empty())
        return *this;
    SavedState saved(false);
    beginStroke(stroke);
    polygonVertices(polygon_, GL_LINE_LOOP);
    return *this;
}

Canvas& Canvas::polygon(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; ++i)
        glVertex3d(points_[i].x, points_[i].y, points_[i].z);
    glEnd();
    return *this;
}

Canvas& Canvas::polygon(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < count; ++i)
        glVertex3d(points_[i].x, points_[i].y, points_[i].z);
    glEnd();
    return *this;
}

// ---------------------------------------------------------------- groups

Canvas& Canvas::group(Group& group_) {
    activate();
    const int clipMode = group_.getClipMode();
    Image* const mask = clipMode == Group::clipMask ? group_.getMask() : nullptr;

    SavedState saved(true);
    if (mask != nullptr) {
        // Destination alpha becomes the mask: clear it to 0 over the mask's area (colours
        // stay), add the mask's alpha (only alpha is written, so the mask's own colours never
        // reach the screen), then weight the members by the alpha left in the target.
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        rect(mask->getArea(), Color(Color::raw, 1.0, 1.0, 1.0, 0.0));
        glBlendFunc(GL_ONE, GL_ONE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        image(*mask);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA);
    }
    if (clipMode == Group::clipRectangle) {
        // The scissor box is in window coordinates, whose rows count up from the bottom.
        const int left = static_cast<int>(group_.getClipLeft());
        const int top = static_cast<int>(group_.getClipTop());
        const int w = static_cast<int>(group_.getClipWidth());
        const int h = static_cast<int>(group_.getClipHeight());
        glEnable(GL_SCISSOR_TEST);
        glScissor(left, height - top - h, w, h);
    }
    const Point datum = group_.getDatum();
    glTranslated(datum.x, datum.y, datum.z);
    if (group_.scaleX != 0.0 || group_.scaleY != 0.0 || group_.scaleZ != 0.0)
        glScaled(group_.scaleX, group_.scaleY, group_.scaleZ);
    if (group_.angle != 0.0)
        glRotated(group_.angle, group_.axisX, group_.axisY, group_.axisZ);

    const std::vector<Figure*>& members = group_.getMembers();
    for (std::size_t i = 0; i < members.size(); ++i)
        members[i]->draw(*this);

    if (clipMode == Group::clipRectangle)
        glDisable(GL_SCISSOR_TEST);
    if (mask != nullptr)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return *this;
}

// ---------------------------------------------------------------- images and text

Canvas& Canvas::image(Image& picture, double alpha) {
    activate();
    // Constant opacity through destination alpha: set it to alpha over the image's area
    // (widened by a pixel), then blend the image by it.
    const Rectangle& area = picture.getArea();
    Rectangle widened;
    widened.set(area.left - 1.0, area.top - 1.0, area.right + 1.0, area.bottom + 1.0);
    SavedState saved(false);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    rect(widened, Color(Color::raw, 1.0, 1.0, 1.0, 0.0));
    glBlendFunc(GL_ONE, GL_ONE);
    rect(widened, Color(Color::raw, 0.0, 0.0, 0.0, alpha));
    glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA);
    image(picture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return *this;
}
Canvas& Canvas::image(Image& picture, double x, double y) {
    activate();
    if (!picture.hasBitmap())
        return *this;
    const APIImageProperties* texture = picture.getProperties();
    if (picture.isCached() && texture != nullptr && texture->textureName != 0) {
        // A white quad of the area's size; the picture fills the top-left of the texture.
        const Rectangle& area = picture.getArea();
        const double w = area.getWidth();
        const double h = area.getHeight();
        const double right = static_cast<double>(picture.getWidth()) / texture->textureWidth;
        const double bottom =
            static_cast<double>(texture->textureHeight - picture.getHeight()) / texture->textureHeight;
        glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture->textureName);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4ub(255, 255, 255, 255);
        glBegin(GL_QUADS);
        glTexCoord2d(0.0, 1.0);
        glVertex2d(x, y);
        glTexCoord2d(right, 1.0);
        glVertex2d(x + w, y);
        glTexCoord2d(right, bottom);
        glVertex2d(x + w, y + h);
        glTexCoord2d(0.0, bottom);
        glVertex2d(x, y + h);
        glEnd();
        glPopAttrib();
        return *this;
    }
    // Direct transfer. The raster position is taken at the top-left corner and moved down by
    // the height in window pixels, so that an image whose bottom row is the canvas's last row
    // still has a valid raster position. Only RGBA pixels need blending; the blend function
    // is left as the caller set it (constant opacity and masks rely on that).
    const int layout = picture.getLayout();
    const GLenum format = layout == Image::GRAY ? GL_LUMINANCE : layout == Image::RGB ? GL_RGB : GL_RGBA;
    const GLenum type = picture.getPrecision() == Image::FLOAT ? GL_FLOAT : GL_UNSIGNED_BYTE;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (layout == Image::RGBA)
        glEnable(GL_BLEND);
    glRasterPos2d(x, y);
    glBitmap(0, 0, 0.0f, 0.0f, 0.0f, static_cast<GLfloat>(-picture.getHeight()), nullptr);
    glDrawPixels(picture.getWidth(), picture.getHeight(), format, type, picture.getBuffer());
    glPopClientAttrib();
    glPopAttrib();
    return *this;
}
Canvas& Canvas::image(Image& picture) {
    activate();
    return image(picture, picture.getArea().left, picture.getArea().top);
}
Canvas& Canvas::letters(Letters& text, const Color& color) {
    activate();
    const Point datum = text.getDatum();
    double x = datum.x;
    if (text.alignment == Letters::alignCenter)
        x -= text.width / 2;
    else if (text.alignment == Letters::alignRight)
        x -= text.width;
    if (!text.isCached())
        throw Exception("Please ask to developpers to implement drawing uncached Letters.");
    const APIFontProperties& glyphs = *text.glyphCache;
    glPushMatrix();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glColor4f(static_cast<GLfloat>(color.r), static_cast<GLfloat>(color.g), static_cast<GLfloat>(color.b),
              static_cast<GLfloat>(color.a));
    glTranslated(x, datum.y, 0.0);
    // Outlines are in em units with y up; the canvas runs y down.
    glScaled(text.font.size, -text.font.size, 1.0);
    glListBase(glyphs.listBase);
    glCallLists(static_cast<GLsizei>(glyphs.count), GL_UNSIGNED_SHORT, glyphs.indices);
    glListBase(0);
    glPopAttrib();
    glPopMatrix();
    return *this;
}
Canvas& Canvas::capture(Image& picture, const Rectangle& source) {
    activate();
    const int w = static_cast<int>(source.getWidth());
    const int h = static_cast<int>(source.getHeight());
    if (!picture.hasBitmap())
        picture.set(w, h, picture.getLayout(), picture.getPrecision());
    // The read area: the source itself when the sizes agree, else the image size (at most the
    // source's) centred on the source.
    Rectangle area(source);
    area.resize(std::min(picture.getWidth(), w), std::min(picture.getHeight(), h));
    const int readWidth = static_cast<int>(area.getWidth());
    const int readHeight = static_cast<int>(area.getHeight());
    const int layout = picture.getLayout();
    const GLenum format = layout == Image::GRAY ? GL_LUMINANCE : layout == Image::RGB ? GL_RGB : GL_RGBA;
    const GLenum type = picture.getPrecision() == Image::FLOAT ? GL_FLOAT : GL_UNSIGNED_BYTE;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    // Rows are written at the image's own stride even when fewer columns are read.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, picture.getWidth());
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(static_cast<int>(area.left), height - static_cast<int>(area.bottom) - 1, readWidth,
                 readHeight, format, type, picture.getBuffer());
    glPopAttrib();
    glPopClientAttrib();
    return *this;
}
int Canvas::message(const char* text, double x, double y, const Color& color, int alignment, int maxWidth) {
    activate();
    if (!text)
        return 0;
    // Wrap width: the given one, else the room towards the edge the text runs to.
    int wrap = 0;
    if (alignment == 1) {
        if (maxWidth > 0)
            wrap = maxWidth;
        else
            wrap = 2 * (x <= width / 2 ? static_cast<int>(x) : static_cast<int>(width - x));
    } else if (alignment == 2) {
        wrap = maxWidth > 0 ? maxWidth : static_cast<int>(x);
    } else {
        wrap = maxWidth > 0 ? maxWidth : static_cast<int>(width - x);
    }
    // No room: a line could take no character and would never advance.
    if (wrap <= 0)
        return 0;

    RasterGlyphs& glyphs = RasterGlyphs::shared();
    if (!glyphs.built())
        glyphs.upload();
    const Color maskClear(Color::raw, 1.0, 1.0, 1.0, 0.0);
    const Color fade(Color::raw, 1.0, 1.0, 1.0, color.a);

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT);
    glEnable(GL_BLEND);
    Rectangle box;
    int lines = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        const unsigned char* start = p;
        int sum = 0;
        while (sum < wrap && *p != 0 && *p != '\r' && *p != '\n')
            sum += RasterGlyphs::advance(*p++);
        const unsigned char* end = p;

        double x0 = alignment == 1 ? x - sum / 2 : (alignment == 2 ? x - sum : x);
        x0 += 3;
        const double top = y + 8 * lines - 8;
        box.set(x0 - 4, top, x0 + sum, y + 8 * lines);

        // Destination alpha becomes the glyph mask; the colour then lands through it.
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        rect(box, maskClear);
        glBlendFunc(GL_ONE, GL_ONE);
        double advance = 0.0;
        for (const unsigned char* q = start; q < end; ++q) {
            if (*q < RasterGlyphs::count) {
                // A blank glyph would add nothing to the mask: spare the texture draw.
                if (!RasterGlyphs::blank(*q))
                    image(glyphs.image(*q), x0 + advance, top);
                advance += RasterGlyphs::advance(*q);
            }
        }
        if (color.a != 1.0) {
            glBlendFunc(GL_ZERO, GL_SRC_COLOR);
            rect(box, fade);
        }
        glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA);
        rect(box, color);
        ++lines;

        if (*p == '\r')
            ++p;
        if (*p == '\n')
            ++p;
    }
    glPopAttrib();
    return lines;
}
int Canvas::message(const std::string& text, double x, double y, const Color& color, int alignment,
                    int maxWidth) {
    activate();
    return message(text.c_str(), x, y, color, alignment, maxWidth);
}
int Canvas::message(const char16_t* text, double x, double y, const Color& color, int alignment, int) {
    activate();
    // Outline text keeps its width; it is drawn on one line whatever the width limit.
    const std::u16string wanted(text ? text : u"");
    Letters* shown = nullptr;
    for (std::size_t i = 0; i < messageCache.size(); ++i) {
        auto* cached = dynamic_cast<Letters*>(messageCache[i]);
        if (cached && cached->getString() == wanted) {
            shown = cached;
            // Most recently used last, so the oldest texts are the ones dropped.
            messageCache.erase(messageCache.begin() + static_cast<std::ptrdiff_t>(i));
            messageCache.push_back(shown);
            break;
        }
    }
    if (!shown) {
        auto made = std::make_unique<Letters>();
        made->setString(wanted, false);
        made->setFont(Font::defaultFont(), false);
        cacheLetters(*made, true);
        shown = made.get();
        messageCache.push_back(made.release());
        // At most 10 texts; the one about to be drawn is the last and never dropped.
        while (messageCache.size() > 10) {
            delete messageCache.front();
            messageCache.erase(messageCache.begin());
        }
    }
    shown->setDatum(Point(x, y, 0.0));
    shown->draw(color, alignment, *this);
    return wanted.empty() ? 0 : 1;
}

Canvas& Canvas::copy(const Rectangle& source, const Rectangle& target, bool clearSource,
                     const Color& fillColor) {
    activate();
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_BACK);
    // Integer coordinates lie 0.375 pixel inside their pixel, so the raster position of the
    // target's bottom edge sits in the window row above its bottom pixel: step one row down
    // (a bitmap move keeps the position valid even below the window's bottom edge).
    glRasterPos2d(target.getLeft(), target.getBottom());
    glBitmap(0, 0, 0.0f, 0.0f, 0.0f, -1.0f, nullptr);
    glCopyPixels(static_cast<GLint>(source.getLeft()), static_cast<GLint>(height - source.getBottom() - 1),
                 static_cast<GLsizei>(source.getWidth()), static_cast<GLsizei>(source.getHeight()), GL_COLOR);
    if (clearSource)
        rect(source, fillColor);
    return *this;
}

Canvas& Canvas::segmentText(const char* text, double x, double y, const Color& color, bool leftAligned) {
    activate();
    // Only the matrix and the current colour change here, so saving those two is saving all.
    glPushMatrix();
    glPushAttrib(GL_CURRENT_BIT);
    struct Restore {
        ~Restore() {
            glPopAttrib();
            glPopMatrix();
        }
    } restore;
    setColor(color);
    const std::size_t n = std::strlen(text);
    // Codes above 127 have no list; they keep their cell empty.
    auto draw = [this](unsigned char code) {
        if (code < 128)
            glCallList(segmentLists + code);
    };
    if (leftAligned) {
        glTranslated(x - segmentAdvance, y, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            glTranslated(segmentAdvance, 0.0, 0.0);
            draw(static_cast<unsigned char>(text[i]));
        }
    } else {
        glTranslated(x, y, 0.0);
        for (std::size_t i = n; i-- > 0;) {
            glTranslated(-segmentAdvance, 0.0, 0.0);
            draw(static_cast<unsigned char>(text[i]));
        }
    }
    return *this;
}

Canvas& Canvas::segmentText(const std::string& text, double x, double y, const Color& color,
                            bool leftAligned) {
    activate();
    return segmentText(text.c_str(), x, y, color, leftAligned);
}

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

// ---------------------------------------------------------------- free functions

namespace {
// The current canvas; before one exists, the DrawableDummy's refusal.
Canvas& the() {
    if (!current_)
        DrawableDummy::instance().refuse();
    return *current_;
}
} // namespace

Canvas& flip() {
    return the().flip();
}
Canvas& flip(int frames) {
    return the().flip(frames);
}
Canvas& flip(float frames) {
    return the().flip(frames);
}
Canvas& flip(double frames) {
    return the().flip(frames);
}
Canvas& flip(long double frames) {
    return the().flip(frames);
}
Canvas& flipAfter(int frames) {
    return the().flipAfter(frames);
}
Canvas& clear(int buffer) {
    return the().clear(buffer);
}
Canvas& clear(const Color& color, int buffer) {
    return the().clear(color, buffer);
}
Canvas& clear(const Color& color) {
    return the().clear(color);
}
Canvas& setClearColor(const Color& color) {
    return the().setClearColor(color);
}
int getWidth() {
    return the().getWidth();
}
int getHeight() {
    return the().getHeight();
}
Point getCenter() {
    return the().getCenter();
}
double getCenterX() {
    return the().getCenterX();
}
double getCenterY() {
    return the().getCenterY();
}
double getRefreshRate() {
    return the().getRefreshRate();
}
int getColorDepth() {
    return the().getColorDepth();
}
const Canvas::FrameStatistics& frameStatistics() {
    return the().frameStatistics;
}
Canvas& startFrameCounting() {
    return the().startFrameCounting();
}
Canvas& stopFrameCounting() {
    return the().stopFrameCounting();
}
Canvas& resetFrameCounts() {
    return the().resetFrameCounts();
}
int getLastDroppedFrames() {
    return the().getLastDroppedFrames();
}
Canvas& showFrameStatistics() {
    return the().showFrameStatistics();
}
Canvas& hideFrameStatistics() {
    return the().hideFrameStatistics();
}
Canvas& progressBar(double fraction) {
    return the().progressBar(fraction);
}
Canvas& setProgressBar(const Rectangle& rectangle, const Color& barColor, const Color& backColor) {
    return the().setProgressBar(rectangle, barColor, backColor);
}
Canvas& setProgressBar(double left, double top, double right, double bottom, const Color& barColor,
                       const Color& backColor) {
    return the().setProgressBar(left, top, right, bottom, barColor, backColor);
}
Canvas& setGeometry(double physicalWidth, double physicalHeight, double viewingDistance, int pixelWidth,
                    int pixelHeight) {
    return the().setGeometry(physicalWidth, physicalHeight, viewingDistance, pixelWidth, pixelHeight);
}
int degreesToPixelsX(double degrees) {
    return the().degreesToPixelsX(degrees);
}
int degreesToPixelsY(double degrees) {
    return the().degreesToPixelsY(degrees);
}
int getPixelWidth() {
    return the().getPixelWidth();
}
int getPixelHeight() {
    return the().getPixelHeight();
}
double getFramePeriod() {
    return the().getFramePeriod();
}
int getHoldFrames() {
    return the().getHoldFrames();
}
double getLastInterval() {
    return the().getLastInterval();
}
Canvas& pix(double x, double y, const Color& color) {
    return the().pix(x, y, color);
}
Canvas& pix(const Point& point, const Color& color) {
    return the().pix(point, color);
}
Canvas& points(int count, const double* xs, const double* ys, const Color* colors) {
    return the().points(count, xs, ys, colors);
}
Canvas& points(int count, const double* xs, const double* ys, const Color& color) {
    return the().points(count, xs, ys, color);
}
Canvas& points(int count, const Point* points, const Color* colors) {
    return the().points(count, points, colors);
}
Canvas& points(int count, const Point* points, const Color& color) {
    return the().points(count, points, color);
}
Canvas& line(const Line& line, const Stroke& stroke) {
    return the().line(line, stroke);
}
Canvas& line(const Line& line, const Color& color) {
    return the().line(line, color);
}
Canvas& line(double x1, double y1, double x2, double y2, const Color& color) {
    return the().line(x1, y1, x2, y2, color);
}
Canvas& line(const Point& point1, const Point& point2, const Color& color) {
    return the().line(point1, point2, color);
}
Canvas& line(double x1, double y1, double x2, double y2, const Stroke& stroke) {
    return the().line(x1, y1, x2, y2, stroke);
}
Canvas& line(const Point& point1, const Point& point2, const Stroke& stroke) {
    return the().line(point1, point2, stroke);
}
Canvas& lines(int count, const Point* points, const Color& color) {
    return the().lines(count, points, color);
}
Canvas& lines(int count, const Point* points, const Stroke& stroke) {
    return the().lines(count, points, stroke);
}
Canvas& polyline(int count, const Point* points, const Color& color) {
    return the().polyline(count, points, color);
}
Canvas& polyline(int count, const Point* points, const Stroke& stroke) {
    return the().polyline(count, points, stroke);
}
Canvas& rect(const Rectangle& rectangle, const Stroke& stroke) {
    return the().rect(rectangle, stroke);
}
Canvas& rect(const Rectangle& rectangle, const Color& color) {
    return the().rect(rectangle, color);
}
Canvas& rect(int count, const Rectangle* rectangles, const Color& color) {
    return the().rect(count, rectangles, color);
}
Canvas& rect(int count, const Rectangle* rectangles, const Color* colors) {
    return the().rect(count, rectangles, colors);
}
Canvas& rect(const Rectangle* rectangles, const Color* colors, int from, int to) {
    return the().rect(rectangles, colors, from, to);
}
Canvas& rect(int count, const Rectangle* rectangles, const Stroke& stroke) {
    return the().rect(count, rectangles, stroke);
}
Canvas& rect(int count, const Rectangle* rectangles, const Stroke* strokes) {
    return the().rect(count, rectangles, strokes);
}
Canvas& rect(const Rectangle* rectangles, const Stroke* strokes, int from, int to) {
    return the().rect(rectangles, strokes, from, to);
}
Canvas& ellipse(const Ellipse& ellipse, const Stroke& stroke) {
    return the().ellipse(ellipse, stroke);
}
Canvas& ellipse(const Ellipse& ellipse, const Color& color) {
    return the().ellipse(ellipse, color);
}
Canvas& ellipse(const Rectangle& rectangle, const Color& color) {
    return the().ellipse(rectangle, color);
}
Canvas& ellipse(const Rectangle& rectangle, const Stroke& stroke) {
    return the().ellipse(rectangle, stroke);
}
Canvas& polygon(const Polygon& polygon, const Stroke& stroke) {
    return the().polygon(polygon, stroke);
}
Canvas& polygon(const Polygon& polygon, const Color& color) {
    return the().polygon(polygon, color);
}
Canvas& polygon(const Polygon& polygon) {
    return the().polygon(polygon);
}
Canvas& polygon(int count, const Point* points, const Color& color) {
    return the().polygon(count, points, color);
}
Canvas& polygon(int count, const Point* points, const Stroke& stroke) {
    return the().polygon(count, points, stroke);
}
Canvas& group(Group& group) {
    return the().group(group);
}
Canvas& image(Image& image, double alpha) {
    return the().image(image, alpha);
}
Canvas& image(Image& image, double x, double y) {
    return the().image(image, x, y);
}
Canvas& image(Image& image) {
    return the().image(image);
}
Canvas& letters(Letters& letters, const Color& color) {
    return the().letters(letters, color);
}
Canvas& copy(const Rectangle& source, const Rectangle& target, bool clearSource, const Color& fillColor) {
    return the().copy(source, target, clearSource, fillColor);
}
Canvas& capture(Image& image, const Rectangle& source) {
    return the().capture(image, source);
}
int message(const char* text, double x, double y, const Color& color, int alignment, int maxWidth) {
    return the().message(text, x, y, color, alignment, maxWidth);
}
int message(const std::string& text, double x, double y, const Color& color, int alignment, int maxWidth) {
    return the().message(text, x, y, color, alignment, maxWidth);
}
int message(const char16_t* text, double x, double y, const Color& color, int alignment, int maxWidth) {
    return the().message(text, x, y, color, alignment, maxWidth);
}
Canvas& segmentText(const char* text, double x, double y, const Color& color, bool leftAligned) {
    return the().segmentText(text, x, y, color, leftAligned);
}
Canvas& segmentText(const std::string& text, double x, double y, const Color& color, bool leftAligned) {
    return the().segmentText(text, x, y, color, leftAligned);
}

} // namespace Stimora
