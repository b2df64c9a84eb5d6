#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/Point.h"
#include "devices/Clock.h"
#include "display/Color.h"
#include "display/Drawable.h"
#include "display/FrameLog.h"
#include "figures/Rectangle.h"
#include "math/VisualAngle.h"

namespace Stimora {

class APICanvasProperties;
class AudioOutput;
class CanvasSound;
class Display;
class Figure;
class FlipListener;
class Group;
class Image;
class Letters;
class Line;
class MonitorProfile;
class Ellipse;
class Polygon;
class Sound;
class Stroke;
struct ShaderPatch;

/// The display surface: one double-buffered OpenGL surface (full screen or a window) whose
/// flip is locked to the vertical refresh, holds each frame for a requested number of
/// refreshes and counts the refreshes missed. Coordinates are pixels, origin at the top-left
/// pixel, y downwards. Everything drawn goes to the back buffer and appears at flip().
/// The first canvas initialised in the process becomes the current canvas and the default
/// drawing target. A canvas belongs to the thread that created it.
class Canvas : public virtual Drawable {
public:
    /// Thrown by value: value 1 refuses to initialise a canvas twice.
    enum Error { alreadyInitialized = 1 };
    /// Modes of Canvas(mode, display).
    enum Mode { fullscreen = 0, window = 1 };
    /// Buffer codes of clear(); code 1 is taken as the back buffer.
    enum Buffer { back = 2, front = 4 };
    /// What the flips are locked to: the display's vertical refresh (through the driver), a
    /// refresh simulated on request (STIMORA_SIMULATED_REFRESH set to a rate in Hz), or a refresh paced in
    /// software because the driver could not synchronise (the picture may then tear).
    enum RefreshSource { refreshDisplay, refreshSimulated, refreshPaced };

    /// Frame accounting, read by the application (refreshes = frames + droppedFrames).
    struct FrameStatistics {
        /// Sum of the frame counts given to flip while counting.
        int frames = 0;
        /// Refreshes missed since the counts were reset.
        int droppedFrames = 0;
        /// frames + droppedFrames.
        int refreshes = 0;
        /// Refreshes missed at the latest counted flip (may be negative for an early frame).
        int lastDroppedFrames = 0;
        /// Counted flips that missed at least one refresh.
        int flipsWithDrops = 0;
    };

    /// An uninitialised canvas; initialise it with one of the set() forms before drawing.
    Canvas();
    /// mode fullscreen (0): full screen at the display's current mode; any other value: an
    /// 800 x 600 window at the display's work area left + 10, top + 10.
    Canvas(int mode, const Display& display);
    /// A window of width x height pixels at the display's work area left + 10, top + 10.
    Canvas(int width, int height, const Display& display);
    /// A window at the rectangle's left and top with its width and height (desktop pixels).
    explicit Canvas(const Rectangle& rectangle);
    /// Switches the display to width x height, colorDepth bits, refreshRate Hz, full screen.
    Canvas(int width, int height, int colorDepth, double refreshRate, const Display& display);
    /// Releases the canvas: owned figures, the platform half (gamma ramp, context, window,
    /// display mode, cursor) and its place as current canvas or default drawing target.
    ~Canvas() override;

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    /// As Canvas(mode, display); throws Error value 1 on an initialised canvas.
    Canvas& set(int mode, const Display& display);
    /// As Canvas(width, height, display); throws Error value 1 on an initialised canvas.
    Canvas& set(int width, int height, const Display& display);
    /// As Canvas(rectangle); throws Error value 1 on an initialised canvas.
    Canvas& set(const Rectangle& rectangle);
    /// As Canvas(width, height, colorDepth, refreshRate, display); throws Error value 1 on an
    /// initialised canvas.
    Canvas& set(int width, int height, int colorDepth, double refreshRate, const Display& display);

    /// True between a successful initialisation and release.
    bool isInitialized() const { return initialized; }
    /// Releases the canvas now, as its destruction would (gamma ramp, context, window,
    /// display mode, cursor); a closed canvas may be set again. Nothing on one not initialised.
    void close();

    // ---- own virtual operations

    /// One-time OpenGL set-up: colour setters by depth, the y-down pixel projection, the
    /// default state, both buffers cleared to black.
    virtual void setupGraphics();
    /// Saves every OpenGL attribute group and sets the framework's default drawing state.
    virtual void pushDefaultState();
    /// Restores the attributes saved by pushDefaultState().
    virtual void popState();
    /// One point in color.
    virtual Canvas& pix(const Point& point, const Color& color);

    // ---- frames

    /// Shows the back buffer; the new frame stays for one refresh.
    Canvas& flip();
    /// Shows the back buffer; the new frame stays for frames refreshes (at least 1, else an
    /// Exception "ARGUMENT ERROR" and nothing happens).
    Canvas& flip(int frames);
    /// Refused with an Exception: a frame count is whole, never truncated.
    Canvas& flip(float frames);
    /// Refused with an Exception: a frame count is whole, never truncated.
    Canvas& flip(double frames);
    /// Refused with an Exception: a frame count is whole, never truncated.
    Canvas& flip(long double frames);
    /// Keeps the frame now on screen frames - 1 refreshes longer, then flips for one.
    Canvas& flipAfter(int frames);

    /// Clears a buffer (back 2, front 4; 1 is taken as back) with the background colour.
    Canvas& clear(int buffer);
    /// Clears a buffer (back 2, front 4; 1 is taken as back) with color; other codes clear
    /// nothing. The back buffer is selected afterwards in every case.
    Canvas& clear(const Color& color, int buffer);
    /// Clears the back buffer with color.
    Canvas& clear(const Color& color) override;
    /// The colour of clear(buffer); black after initialisation.
    Canvas& setClearColor(const Color& color);

    // ---- queries

    /// Width in pixels.
    int getWidth() override;
    /// Height in pixels.
    int getHeight() override;
    /// (width / 2 - 0.5, height / 2 - 0.5, 0), halves taken in integers.
    Point getCenter() override;
    /// width / 2 - 0.5, the half taken in integers.
    double getCenterX();
    /// height / 2 - 0.5, the half taken in integers.
    double getCenterY();
    /// Hz (60 where the platform reports none).
    double getRefreshRate();
    /// Bits per pixel.
    int getColorDepth();
    /// Refresh period in milliseconds (1000 / refresh rate).
    double getFramePeriod() const { return framePeriod; }
    /// Refreshes the frame now on screen is to stay there.
    int getHoldFrames() const { return holdFrames; }
    /// Milliseconds between the two latest buffer swaps.
    double getLastInterval() const { return lastInterval; }
    /// When the latest flip's swap returned: the onset estimate of the frame now on screen. A
    /// response time is an input event's time minus this of the stimulus frame.
    Clock getLastFlipTime() const { return lastFlipTime; }
    /// Milliseconds between the latest flip's onset and the one before (unaffected by
    /// startFrameCounting).
    double getLastFlipInterval() const { return lastFlipInterval; }
    /// What the flips are locked to.
    RefreshSource getRefreshSource() const { return refreshSource; }
    /// Mean refresh period in ms measured over a short run of flips when the canvas
    /// initialised (about half a second).
    double getMeasuredFramePeriod() const { return measuredPeriod; }
    /// Standard deviation of those intervals, in ms.
    double getMeasuredFramePeriodSD() const { return measuredPeriodSD; }

    // ---- frame log

    /// Records every following flip (frames asked, onset, interval, refreshes missed) in a
    /// buffer for capacity flips allocated here; recording allocates nothing. A log already
    /// on starts afresh. capacity below 1: Exception "ARGUMENT ERROR".
    Canvas& startFrameLog(int capacity);
    /// Stops recording; the records stay for saveFrameLog() and timingReport().
    Canvas& stopFrameLog();
    /// Writes the records as tab-separated text with a header line; the path's tokens are
    /// expanded. An existing file is never replaced: Exception naming the path.
    Canvas& saveFrameLog(const std::string& path);
    /// The records so far.
    const FrameLog& frameLog() const { return log; }
    /// One paragraph on the logged flips: frames, refreshes, drops, flips with drops, the
    /// interval's mean, sd and maximum, and what the refresh was locked to. Printed on
    /// standard error when the canvas closes with its log on.
    std::string timingReport() const;

    // ---- devices tied to the flips

    /// Calls listener at every following flip: before the swap with the new frame's predicted
    /// onset, after it with the onset estimate (see FlipListener). The listener is not owned
    /// and must stay alive until removed; adding one twice adds it once.
    Canvas& addFlipListener(FlipListener& listener);
    /// Stops calling listener; one that is not listening is ignored.
    Canvas& removeFlipListener(FlipListener& listener);
    /// When a flip made now, asking the frame on screen to stay its hold, would show its
    /// frame: the latest onset plus the hold in refresh periods, or the first refresh of that
    /// grid after now when that moment has passed.
    Clock predictNextOnset() const;
    /// Plays the sounds of playAtFlip on output, which must outlive the canvas or be replaced.
    Canvas& setAudioOutput(AudioOutput& output);
    /// Schedules sound for the onset of the next flip's frame, as the refresh grid predicts it
    /// when that flip begins; the frame log marks it beside the flip ("sound", its number, the
    /// onset asked and the onset reported). Returns its number on the audio output. Raises
    /// Exception (ARGUMENT ERROR) without an audio output, and what AudioOutput::play raises.
    long long playAtFlip(const Sound& sound);

    // ---- frame statistics

    /// Frame accounting, readable by the application.
    const FrameStatistics& frameStatistics;
    /// Starts counting frames from the next flip; the first interval after a stop is not judged.
    Canvas& startFrameCounting();
    /// Stops counting; the next start begins afresh.
    Canvas& stopFrameCounting();
    /// Zeroes frames, droppedFrames and refreshes (and the internal counts behind them).
    Canvas& resetFrameCounts();
    /// Refreshes missed at the latest counted flip.
    int getLastDroppedFrames();
    /// Draws the statistics panel (top right) at every flip.
    Canvas& showFrameStatistics();
    /// Stops drawing the statistics panel.
    Canvas& hideFrameStatistics();

    // ---- progress bar

    /// Draws the progress bar at once on the front buffer; fraction in 0..1 (above 1 is 1).
    Canvas& progressBar(double fraction);
    /// Place (canvas pixels, inclusive edges) and colours of the progress bar.
    Canvas& setProgressBar(const Rectangle& rectangle, const Color& barColor, const Color& backColor);
    /// Place (canvas pixels, inclusive edges left..right, top..bottom) and colours of the
    /// progress bar.
    Canvas& setProgressBar(double left, double top, double right, double bottom, const Color& barColor,
                           const Color& backColor);

    // ---- visual angle

    /// Physical size of the screen area and viewing distance (one length unit of the
    /// caller's choice), and the pixel size of that area.
    Canvas& setGeometry(double physicalWidth, double physicalHeight, double viewingDistance, int pixelWidth,
                        int pixelHeight);
    /// Horizontal pixels subtending degrees of visual angle (truncated).
    int degreesToPixelsX(double degrees);
    /// Vertical pixels subtending degrees of visual angle (truncated).
    int degreesToPixelsY(double degrees);
    /// The pixel width given to setGeometry() (0 before).
    int getPixelWidth();
    /// The pixel height given to setGeometry() (0 before).
    int getPixelHeight();

    // ---- monitor profile

    /// Takes a monitor profile for this canvas: checks that the canvas has the profile's
    /// resolution and refresh rate (else an Exception "PROFILE ERROR" naming both, unless
    /// acceptMismatch), sets the geometry from the profile's screen size and viewing distance and
    /// applies its calibration, if it holds one, so that Color works in cd/m².
    Canvas& useProfile(const MonitorProfile& profile, bool acceptMismatch = false);
    /// Visual angle on this canvas, centred on getCenter(), from the geometry set by
    /// setGeometry() (lengths in its unit) or useProfile() (cm); unset before either.
    VisualAngle visualAngle();

    // ---- gamma ramp (nothing while uninitialised)

    /// Loads the display's gamma ramp computed from gamma values per channel.
    Canvas& setGammaValue(double r, double g, double b);
    /// Loads the display's gamma ramp from three tables of 256 values in 0..1.
    Canvas& setGammaTable(const std::vector<double>& r, const std::vector<double>& g,
                          const std::vector<double>& b);

    /// Builds (on) or releases (off) the glyph cache of letters in this canvas's context.
    Canvas& cacheLetters(Letters& letters, bool on) override;

    // ---- drawing (Drawable slots)

    /// One point (x, y) in color.
    Canvas& pix(double x, double y, const Color& color) override;
    /// A line with the stroke's colour, width and stipple.
    Canvas& line(const Line& line, const Stroke& stroke) override;
    /// A line one pixel wide.
    Canvas& line(const Line& line, const Color& color) override;
    /// Outline loop through the four corner pixels.
    Canvas& rect(const Rectangle& rectangle, const Stroke& stroke) override;
    /// Fills the pixels left..right, top..bottom inclusive.
    Canvas& rect(const Rectangle& rectangle, const Color& color) override;
    /// Ellipse outline inscribed in width x height around the datum.
    Canvas& ellipse(const Ellipse& ellipse, const Stroke& stroke) override;
    /// Filled ellipse inscribed in width x height around the datum.
    Canvas& ellipse(const Ellipse& ellipse, const Color& color) override;
    /// Closed outline through the vertices (relative to the datum); nothing when empty.
    Canvas& polygon(const Polygon& polygon, const Stroke& stroke) override;
    /// Filled polygon; nothing when empty.
    Canvas& polygon(const Polygon& polygon, const Color& color) override;
    /// Filled polygon in the current colour; nothing when empty.
    Canvas& polygon(const Polygon& polygon) override;
    /// Draws the members of a group under its clipping, masking and transform.
    Canvas& group(Group& group) override;
    /// Draws an image at its own place with a constant opacity alpha (0..1).
    Canvas& image(Image& image, double alpha) override;
    /// Draws an image with its top-left corner at (x, y).
    Canvas& image(Image& image, double x, double y) override;
    /// Draws an image at its own place.
    Canvas& image(Image& image) override;
    /// Draws text at its datum in color.
    Canvas& letters(Letters& letters, const Color& color) override;
    /// Draws count shader-computed gratings or Gabor patches in one draw call, calibrated as
    /// Color calibrates; raises an Exception where the graphics card or the calibration mode
    /// does not allow it.
    Canvas& patches(const ShaderPatch* patches, std::size_t count) override;

    // ---- further drawing operations

    /// count points (xs[i], ys[i]), point i in colors[i].
    Canvas& points(int count, const double* xs, const double* ys, const Color* colors);
    /// count points (xs[i], ys[i]) in one colour.
    Canvas& points(int count, const double* xs, const double* ys, const Color& color);
    /// count points, point i in colors[i].
    Canvas& points(int count, const Point* points, const Color* colors);
    /// count points in one colour.
    Canvas& points(int count, const Point* points, const Color& color);

    /// A line one pixel wide from (x1, y1) to (x2, y2).
    Canvas& line(double x1, double y1, double x2, double y2, const Color& color);
    /// A line one pixel wide from point1 to point2 (z ignored).
    Canvas& line(const Point& point1, const Point& point2, const Color& color);
    /// A line from (x1, y1) to (x2, y2) with the stroke's colour, width and stipple.
    Canvas& line(double x1, double y1, double x2, double y2, const Stroke& stroke);
    /// A line from point1 to point2 (z ignored) with the stroke's colour, width and stipple.
    Canvas& line(const Point& point1, const Point& point2, const Stroke& stroke);
    /// count separate segments points[2i]..points[2i + 1] in one colour.
    Canvas& lines(int count, const Point* points, const Color& color);
    /// count separate segments points[2i]..points[2i + 1] with one stroke.
    Canvas& lines(int count, const Point* points, const Stroke& stroke);
    /// An open polyline through count points in one colour.
    Canvas& polyline(int count, const Point* points, const Color& color);
    /// An open polyline through count points with a stroke.
    Canvas& polyline(int count, const Point* points, const Stroke& stroke);

    /// count filled rectangles in one colour (set once).
    Canvas& rect(int count, const Rectangle* rectangles, const Color& color);
    /// count filled rectangles, rectangle i in colors[i].
    Canvas& rect(int count, const Rectangle* rectangles, const Color* colors);
    /// Filled rectangles from index from up to (not including) to, rectangle i in colors[i];
    /// an empty or reversed range draws nothing.
    Canvas& rect(const Rectangle* rectangles, const Color* colors, int from, int to);
    /// count outlines with one stroke (set once).
    Canvas& rect(int count, const Rectangle* rectangles, const Stroke& stroke);
    /// count outlines, rectangle i with strokes[i].
    Canvas& rect(int count, const Rectangle* rectangles, const Stroke* strokes);
    /// Outlines from index from up to (not including) to, rectangle i with strokes[i].
    Canvas& rect(const Rectangle* rectangles, const Stroke* strokes, int from, int to);

    /// Filled ellipse inscribed in a rectangle.
    Canvas& ellipse(const Rectangle& rectangle, const Color& color);
    /// Ellipse outline inscribed in a rectangle.
    Canvas& ellipse(const Rectangle& rectangle, const Stroke& stroke);

    /// Filled polygon through count points (absolute coordinates).
    Canvas& polygon(int count, const Point* points, const Color& color);
    /// Closed outline through count points (absolute coordinates).
    Canvas& polygon(int count, const Point* points, const Stroke& stroke);

    /// Copies the back-buffer pixels of source so that its bottom-left pixel lands on
    /// target's; with clearSource, source is then filled with fillColor.
    Canvas& copy(const Rectangle& source, const Rectangle& target, bool clearSource = false,
                 const Color& fillColor = Color::black);
    /// Reads the back-buffer pixels of source into an image.
    Canvas& capture(Image& image, const Rectangle& source);
    /// Raster text (7-pixel glyphs); alignment 1 centred on x, 2 ending at x, else starting at x;
    /// maxWidth <= 0 wraps at the canvas edge. y is the bottom of the first line. Returns the
    /// number of lines.
    int message(const char* text, double x, double y, const Color& color, int alignment = 0,
                int maxWidth = -1);
    /// As message(const char*, ...) for a string.
    int message(const std::string& text, double x, double y, const Color& color, int alignment = 0,
                int maxWidth = -1);
    /// Outline text in the default font, kept in a cache of at most 10 texts.
    int message(const char16_t* text, double x, double y, const Color& color, int alignment = 0,
                int maxWidth = -1);
    /// Seven-segment text on baseline y, 12 pixels a character: starting at x when leftAligned,
    /// else ending at x. Digits, '-', 'A'..'J', 'O' and '!' have segments; the rest is a dot.
    Canvas& segmentText(const char* text, double x, double y, const Color& color, bool leftAligned = true);
    /// As segmentText(const char*, ...) for a string.
    Canvas& segmentText(const std::string& text, double x, double y, const Color& color,
                        bool leftAligned = true);

    /// The 8-bit quantiser of the colour setters: v x 255 rounded to the nearest integer,
    /// ties to even, kept to its lowest 8 bits (0.5 -> 128, 1.2 -> 50).
    static int quantize(double v);

    // ---- lists

    /// Figures (not owned) drawn in order over every frame at flip, just before the swap.
    std::vector<Figure*> overlay;
    /// Figures the canvas made itself (the vsync warning) and deletes at release.
    std::vector<Figure*> ownedFigures;

private:
    /// Makes this canvas's context the current one when another canvas's is (drawing on a
    /// second canvas must not land in the first one's context).
    void activate();
    void initialize();
    void release();
    void refuseIfInitialized() const;
    void drawStatistics();
    void holdPreviousFrame();
    void measureRefresh();
    void showSyncWarning();
    void timeFlips();
    /// Refreshes an interval ran beyond heldFrames periods (one from a period + 1 ms on;
    /// the margin is half a period where a period is under 2 ms).
    int missedRefreshes(double interval, int heldFrames) const;
    void drawSoftwareCursor();
    void buildDisplayLists();
    void beginStroke(const Stroke& stroke);
    void fillEllipse(const Rectangle& bounds, const Color& color);
    void outlineEllipse(const Rectangle& bounds, const Stroke& stroke);

    Color backgroundColor;
    double physicalWidth = 0.0, physicalHeight = 0.0, viewingDistance = 0.0;
    int pixelWidth = 0, pixelHeight = 0;
    FrameStatistics statistics;
    bool initialized = false;
    int width = 0, height = 0, colorDepth = 0;
    double refreshRate = 0.0;
    Clock lastSwapEnd, beforeLastSwap, thirdClock;
    int holdFrames = 0;
    bool counting = false, countingArmed = false, statisticsShown = false;
    double lastInterval = 0.0;
    double framePeriod = 0.0;
    Clock lastFlipTime;
    double lastFlipInterval = 0.0;
    RefreshSource refreshSource = refreshDisplay;
    double measuredPeriod = 0.0, measuredPeriodSD = 0.0;
    FrameLog log;
    std::vector<FlipListener*> flipListeners;
    std::unique_ptr<CanvasSound> flipSound;
    int countedFrames = 0, countedDrops = 0, lastDrops = 0;
    Rectangle spareRectangle, progressRectangle;
    Color progressGray, progressBarColor, progressBackColor, progressMagenta;
    double refreshRateCopy = 0.0;
    double centerX = 0.0, centerY = 0.0;
    /// The platform half; null while uninitialised.
    std::unique_ptr<APICanvasProperties> api;
    /// Colour setters chosen by depth (8-bit quantised for 24 and 32 bits, else float).
    void (*setColor)(const Color&) = nullptr;
    void (*applyClearColor)(const Color&) = nullptr;
    /// Wide-text messages (Letters), owned, at most 10.
    std::vector<Figure*> messageCache;
    /// Display lists of this canvas's context: 4 filled ellipses, 4 outlines, 128 characters.
    unsigned fillEllipseLists = 0, lineEllipseLists = 0, segmentLists = 0;
};

/// The first canvas that finished initialisation, or null while none exists.
Canvas* currentCanvas();
/// The default drawing target as a Canvas, or null while it is the DrawableDummy.
Canvas* isCanvasTarget();
/// The process-wide group collecting overlay figures registered before any canvas exists;
/// the first canvas to initialise appends it to its overlay.
Group& overlayGroup();
/// Registers a figure (not owned) for the overlay: into the overlay group while no canvas is
/// the default drawing target, else into that canvas's overlay.
void registerOverlay(Figure& figure);

// ---- the same operations on the current canvas

///@{
/// The Canvas operation of the same name, on the current canvas (currentCanvas()). Each
/// refuses with the DrawableDummy's exception (thrown by pointer) while no current canvas exists.
Canvas& flip();
Canvas& flip(int frames);
Canvas& flip(float frames);
Canvas& flip(double frames);
Canvas& flip(long double frames);
Canvas& flipAfter(int frames);
Canvas& clear(int buffer);
Canvas& clear(const Color& color, int buffer);
Canvas& clear(const Color& color);
Canvas& setClearColor(const Color& color);
int getWidth();
int getHeight();
Point getCenter();
double getCenterX();
double getCenterY();
double getRefreshRate();
int getColorDepth();
const Canvas::FrameStatistics& frameStatistics();
Canvas& startFrameCounting();
Canvas& stopFrameCounting();
Canvas& resetFrameCounts();
int getLastDroppedFrames();
Canvas& showFrameStatistics();
Canvas& hideFrameStatistics();
Canvas& progressBar(double fraction);
Canvas& setProgressBar(const Rectangle& rectangle, const Color& barColor, const Color& backColor);
Canvas& setProgressBar(double left, double top, double right, double bottom, const Color& barColor,
                       const Color& backColor);
Canvas& setGeometry(double physicalWidth, double physicalHeight, double viewingDistance, int pixelWidth,
                    int pixelHeight);
int degreesToPixelsX(double degrees);
int degreesToPixelsY(double degrees);
int getPixelWidth();
int getPixelHeight();
double getFramePeriod();
int getHoldFrames();
double getLastInterval();
Clock getLastFlipTime();
double getLastFlipInterval();
double getMeasuredFramePeriod();
double getMeasuredFramePeriodSD();
Canvas& startFrameLog(int capacity);
Canvas& stopFrameLog();
Canvas& saveFrameLog(const std::string& path);
std::string timingReport();
Canvas& pix(double x, double y, const Color& color);
Canvas& pix(const Point& point, const Color& color);
Canvas& points(int count, const double* xs, const double* ys, const Color* colors);
Canvas& points(int count, const double* xs, const double* ys, const Color& color);
Canvas& points(int count, const Point* points, const Color* colors);
Canvas& points(int count, const Point* points, const Color& color);
Canvas& line(const Line& line, const Stroke& stroke);
Canvas& line(const Line& line, const Color& color);
Canvas& line(double x1, double y1, double x2, double y2, const Color& color);
Canvas& line(const Point& point1, const Point& point2, const Color& color);
Canvas& line(double x1, double y1, double x2, double y2, const Stroke& stroke);
Canvas& line(const Point& point1, const Point& point2, const Stroke& stroke);
Canvas& lines(int count, const Point* points, const Color& color);
Canvas& lines(int count, const Point* points, const Stroke& stroke);
Canvas& polyline(int count, const Point* points, const Color& color);
Canvas& polyline(int count, const Point* points, const Stroke& stroke);
Canvas& rect(const Rectangle& rectangle, const Stroke& stroke);
Canvas& rect(const Rectangle& rectangle, const Color& color);
Canvas& rect(int count, const Rectangle* rectangles, const Color& color);
Canvas& rect(int count, const Rectangle* rectangles, const Color* colors);
Canvas& rect(const Rectangle* rectangles, const Color* colors, int from, int to);
Canvas& rect(int count, const Rectangle* rectangles, const Stroke& stroke);
Canvas& rect(int count, const Rectangle* rectangles, const Stroke* strokes);
Canvas& rect(const Rectangle* rectangles, const Stroke* strokes, int from, int to);
Canvas& ellipse(const Ellipse& ellipse, const Stroke& stroke);
Canvas& ellipse(const Ellipse& ellipse, const Color& color);
Canvas& ellipse(const Rectangle& rectangle, const Color& color);
Canvas& ellipse(const Rectangle& rectangle, const Stroke& stroke);
Canvas& polygon(const Polygon& polygon, const Stroke& stroke);
Canvas& polygon(const Polygon& polygon, const Color& color);
Canvas& polygon(const Polygon& polygon);
Canvas& polygon(int count, const Point* points, const Color& color);
Canvas& polygon(int count, const Point* points, const Stroke& stroke);
Canvas& group(Group& group);
Canvas& image(Image& image, double alpha);
Canvas& image(Image& image, double x, double y);
Canvas& image(Image& image);
Canvas& letters(Letters& letters, const Color& color);
Canvas& copy(const Rectangle& source, const Rectangle& target, bool clearSource = false,
             const Color& fillColor = Color::black);
Canvas& capture(Image& image, const Rectangle& source);
int message(const char* text, double x, double y, const Color& color, int alignment = 0, int maxWidth = -1);
int message(const std::string& text, double x, double y, const Color& color, int alignment = 0,
            int maxWidth = -1);
int message(const char16_t* text, double x, double y, const Color& color, int alignment = 0,
            int maxWidth = -1);
Canvas& segmentText(const char* text, double x, double y, const Color& color, bool leftAligned = true);
Canvas& segmentText(const std::string& text, double x, double y, const Color& color, bool leftAligned = true);
///@}

} // namespace Stimora
