// The canvas operations as free functions on the current canvas.

#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "display/CanvasInternal.h"
#include "display/DrawableDummy.h"
#include "figures/Ellipse.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Letters.h"
#include "figures/Line.h"
#include "figures/Polygon.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

namespace Stimora {

using namespace detail;

// ---------------------------------------------------------------- free functions

namespace {
// The current canvas; before one exists, the DrawableDummy's refusal.
Canvas& the() {
    if (!currentCanvas())
        DrawableDummy::instance().refuse();
    return *currentCanvas();
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

Clock getLastFlipTime() {
    return the().getLastFlipTime();
}
double getLastFlipInterval() {
    return the().getLastFlipInterval();
}
double getMeasuredFramePeriod() {
    return the().getMeasuredFramePeriod();
}
double getMeasuredFramePeriodSD() {
    return the().getMeasuredFramePeriodSD();
}
Canvas& startFrameLog(int capacity) {
    return the().startFrameLog(capacity);
}
Canvas& stopFrameLog() {
    return the().stopFrameLog();
}
Canvas& saveFrameLog(const std::string& path) {
    return the().saveFrameLog(path);
}
std::string timingReport() {
    return the().timingReport();
}

} // namespace Stimora
