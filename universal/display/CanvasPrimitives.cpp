// The canvas's drawing primitives: points, lines, rectangles, ellipses, polygons, groups, images, pixel copy
// and read-back.

#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "APIImageProperties.h"
#include "APIPatchShader.h"
#include "GLCheck.h"
#include "base/Exception.h"
#include "base/Rounding.h"
#include "base/ShaderPatch.h"
#include "display/CanvasInternal.h"
#include "figures/Ellipse.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Line.h"
#include "figures/Polygon.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

namespace Stimora {

using namespace detail;

namespace {

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

Canvas& Canvas::pix(double x, double y, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    glVertex2d(x, y);
    glCheck(glEnd());
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
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::points(int count, const double* xs, const double* ys, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i)
        glVertex2d(xs[i], ys[i]);
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::points(int count, const Point* points_, const Color* colors) {
    activate();
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i) {
        setColor(colors[i]);
        glVertex2d(points_[i].x, points_[i].y);
    }
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::points(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glCheck(glEnd());
    return *this;
}

void Canvas::beginStroke(const Stroke& stroke) {
    setColor(stroke.color);
    glCheck(glLineWidth(static_cast<GLfloat>(stroke.width)));
    glCheck(glLineStipple(roundToInt(stroke.width), stroke.pattern));
}

Canvas& Canvas::line(double x1, double y1, double x2, double y2, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_LINES);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
    glCheck(glEnd());
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
    glCheck(glEnd());
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
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::lines(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINES);
    for (int i = 0; i < 2 * count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::polyline(int count, const Point* points_, const Color& color) {
    activate();
    setColor(color);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::polyline(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i)
        glVertex2d(points_[i].x, points_[i].y);
    glCheck(glEnd());
    return *this;
}

// ---------------------------------------------------------------- rectangles

namespace {
void fillRectangle(const Rectangle& r) {
    glCheck(glRectd(r.getLeft(), r.getTop(), r.getRight() + 1.0, r.getBottom() + 1.0));
}
void outlineRectangle(const Rectangle& r) {
    glBegin(GL_LINE_LOOP);
    glVertex2d(r.getLeft(), r.getTop());
    glVertex2d(r.getRight(), r.getTop());
    glVertex2d(r.getRight(), r.getBottom());
    glVertex2d(r.getLeft(), r.getBottom());
    glCheck(glEnd());
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
    glCheck(glTranslated(bounds.getLeft(), bounds.getTop(), 0.0));
    glCheck(glScaled(w, h + 1.0, 1.0));
    glCheck(glCallList(fillEllipseLists + ellipseList(w)));
}

void Canvas::outlineEllipse(const Rectangle& bounds, const Stroke& stroke) {
    const double w = bounds.getRight() - bounds.getLeft() + 1.0;
    const double h = bounds.getBottom() - bounds.getTop() + 1.0;
    SavedState saved(true);
    beginStroke(stroke);
    glCheck(glTranslated(bounds.getLeft(), bounds.getTop(), 0.0));
    glCheck(glScaled(w, h + 1.0, 1.0));
    glCheck(glCallList(lineEllipseLists + ellipseList(w)));
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
    glCheck(glPushMatrix());
    glCheck(glTranslatef(static_cast<GLfloat>(datum.x), static_cast<GLfloat>(datum.y),
                         static_cast<GLfloat>(datum.z)));
    glBegin(mode);
    for (const Point& p : polygon.vertices)
        glVertex3d(p.x, p.y, p.z);
    glCheck(glEnd());
    glCheck(glPopMatrix());
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
    glCheck(glEnd());
    return *this;
}

Canvas& Canvas::polygon(int count, const Point* points_, const Stroke& stroke) {
    activate();
    SavedState saved(false);
    beginStroke(stroke);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < count; ++i)
        glVertex3d(points_[i].x, points_[i].y, points_[i].z);
    glCheck(glEnd());
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
        glCheck(glEnable(GL_BLEND));
        glCheck(glBlendFunc(GL_ZERO, GL_SRC_COLOR));
        rect(mask->getArea(), Color(Color::raw, 1.0, 1.0, 1.0, 0.0));
        glCheck(glBlendFunc(GL_ONE, GL_ONE));
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        image(*mask);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glCheck(glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA));
    }
    if (clipMode == Group::clipRectangle) {
        // The scissor box is in window coordinates, whose rows count up from the bottom.
        const int left = static_cast<int>(group_.getClipLeft());
        const int top = static_cast<int>(group_.getClipTop());
        const int w = static_cast<int>(group_.getClipWidth());
        const int h = static_cast<int>(group_.getClipHeight());
        glCheck(glEnable(GL_SCISSOR_TEST));
        glCheck(glScissor(left, height - top - h, w, h));
    }
    const Point datum = group_.getDatum();
    glCheck(glTranslated(datum.x, datum.y, datum.z));
    if (group_.scaleX != 0.0 || group_.scaleY != 0.0 || group_.scaleZ != 0.0)
        glCheck(glScaled(group_.scaleX, group_.scaleY, group_.scaleZ));
    if (group_.angle != 0.0)
        glCheck(glRotated(group_.angle, group_.axisX, group_.axisY, group_.axisZ));

    const std::vector<Figure*>& members = group_.getMembers();
    for (std::size_t i = 0; i < members.size(); ++i)
        members[i]->draw(*this);

    if (clipMode == Group::clipRectangle)
        glCheck(glDisable(GL_SCISSOR_TEST));
    if (mask != nullptr)
        glCheck(glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
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
    glCheck(glEnable(GL_BLEND));
    glCheck(glBlendFunc(GL_ZERO, GL_SRC_COLOR));
    rect(widened, Color(Color::raw, 1.0, 1.0, 1.0, 0.0));
    glCheck(glBlendFunc(GL_ONE, GL_ONE));
    rect(widened, Color(Color::raw, 0.0, 0.0, 0.0, alpha));
    glCheck(glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA));
    image(picture);
    glCheck(glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
    return *this;
}
Canvas& Canvas::image(Image& picture, double x, double y) {
    activate();
    if (!picture.hasBitmap())
        return *this;
    const APIImageProperties* texture = picture.getProperties();
    // A texture made under canvases that have all closed since is made again here.
    if (picture.isCached() && texture != nullptr && !texture->live())
        picture.cache(true);
    if (picture.isCached() && texture != nullptr && texture->textureName != 0) {
        // A white quad of the area's size; the picture fills the top-left of the texture.
        const Rectangle& area = picture.getArea();
        const double w = area.getWidth();
        const double h = area.getHeight();
        const double right = static_cast<double>(picture.getWidth()) / texture->textureWidth;
        const double bottom =
            static_cast<double>(texture->textureHeight - picture.getHeight()) / texture->textureHeight;
        glCheck(glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT));
        glCheck(glEnable(GL_TEXTURE_2D));
        glCheck(glBindTexture(GL_TEXTURE_2D, texture->textureName));
        glCheck(glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE));
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
        glCheck(glEnd());
        glCheck(glPopAttrib());
        return *this;
    }
    // Direct transfer. The raster position is taken at the top-left corner and moved down by
    // the height in window pixels, so that an image whose bottom row is the canvas's last row
    // still has a valid raster position. Only RGBA pixels need blending; the blend function
    // is left as the caller set it (constant opacity and masks rely on that).
    const int layout = picture.getLayout();
    const GLenum format = layout == Image::GRAY ? GL_LUMINANCE : layout == Image::RGB ? GL_RGB : GL_RGBA;
    const GLenum type = picture.getPrecision() == Image::FLOAT ? GL_FLOAT : GL_UNSIGNED_BYTE;
    glCheck(glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT));
    glCheck(glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT));
    glCheck(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    glCheck(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_ROWS, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0));
    if (layout == Image::RGBA)
        glCheck(glEnable(GL_BLEND));
    glCheck(glRasterPos2d(x, y));
    glCheck(glBitmap(0, 0, 0.0f, 0.0f, 0.0f, static_cast<GLfloat>(-picture.getHeight()), nullptr));
    glCheck(glDrawPixels(picture.getWidth(), picture.getHeight(), format, type, picture.getBuffer()));
    glCheck(glPopClientAttrib());
    glCheck(glPopAttrib());
    return *this;
}
// The shader reproduces Color's calibration: the canvas hands it the mode and its numbers.
Canvas& Canvas::patches(const ShaderPatch* list, std::size_t count) {
    activate();
    PatchCalibration calibration;
    switch (Color::calibrationMode) {
    case Color::noCalibration:
    case Color::gammaValueHardware:
    case Color::gammaTableHardware:
        break; // the display's ramp calibrates; values pass through as Color's do
    case Color::gammaValueSoftware:
        calibration.mode = 1;
        for (int k = 0; k < 3; ++k)
            calibration.inverse[k] = Color::inverseGamma[k];
        break;
    case Color::gammaTableSoftware:
        calibration.mode = 2;
        calibration.tableSize = Color::gammaTable[0].size();
        for (int k = 0; k < 3; ++k) {
            calibration.tables[k] = Color::gammaTable[k].data();
            calibration.tableSize = std::min(calibration.tableSize, Color::gammaTable[k].size());
        }
        break;
    case Color::bitsPlusPlus:
        calibration.mode = 3;
        calibration.inverse[0] = Color::inverseGamma[0];
        break;
    default:
        throw Exception(typeid(APIPatchShader), "API ERROR",
                        "Shader-drawn patches cannot reproduce colour calibration mode " +
                            std::to_string(Color::calibrationMode) + ".");
    }
    if (Color::strictMatch) {
        // The darkest and lightest levels must pass Color's check, as they would on the CPU.
        for (std::size_t i = 0; i < count; ++i) {
            Color::check(list[i].mean * (1.0 - list[i].contrast));
            Color::check(list[i].mean * (1.0 + list[i].contrast));
        }
    }
    APIPatchShader::draw(list, count, calibration); // puts back the state it changes
    return *this;
}

Canvas& Canvas::image(Image& picture) {
    activate();
    return image(picture, picture.getArea().left, picture.getArea().top);
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
    glCheck(glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT));
    glCheck(glPushAttrib(GL_PIXEL_MODE_BIT));
    // Rows are written at the image's own stride even when fewer columns are read.
    glCheck(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    glCheck(glPixelStorei(GL_PACK_ROW_LENGTH, picture.getWidth()));
    glCheck(glPixelStorei(GL_PACK_SKIP_ROWS, 0));
    glCheck(glPixelStorei(GL_PACK_SKIP_PIXELS, 0));
    glCheck(glReadBuffer(GL_BACK));
    glCheck(glReadPixels(static_cast<int>(area.left), height - static_cast<int>(area.bottom) - 1, readWidth,
                         readHeight, format, type, picture.getBuffer()));
    glCheck(glPopAttrib());
    glCheck(glPopClientAttrib());
    return *this;
}
Canvas& Canvas::copy(const Rectangle& source, const Rectangle& target, bool clearSource,
                     const Color& fillColor) {
    activate();
    glCheck(glReadBuffer(GL_BACK));
    glCheck(glDrawBuffer(GL_BACK));
    // Integer coordinates lie 0.375 pixel inside their pixel, so the raster position of the
    // target's bottom edge sits in the window row above its bottom pixel: step one row down
    // (a bitmap move keeps the position valid even below the window's bottom edge).
    glCheck(glRasterPos2d(target.getLeft(), target.getBottom()));
    glCheck(glBitmap(0, 0, 0.0f, 0.0f, 0.0f, -1.0f, nullptr));
    glCheck(glCopyPixels(
        static_cast<GLint>(source.getLeft()), static_cast<GLint>(height - source.getBottom() - 1),
        static_cast<GLsizei>(source.getWidth()), static_cast<GLsizei>(source.getHeight()), GL_COLOR));
    if (clearSource)
        rect(source, fillColor);
    return *this;
}

} // namespace Stimora
