#include "CanvasFixture.h"
#include "ExpectException.h"

#include <GL/gl.h>

#include <vector>

#include "figures/Ellipse.h"
#include "figures/Grating.h"
#include "figures/Group.h"
#include "figures/Line.h"
#include "figures/Polygon.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

namespace Stimora::Testing {
namespace {

const Rgba white{255, 255, 255, 255};
const Rgba red{255, 0, 0, 255};
const Rgba green{0, 255, 0, 255};
const Rgba blue{0, 0, 255, 255};

// The lit columns of one row, as a string of '#' and '.'.
std::string row(Canvas& canvas, int left, int y, int width) {
    std::string s;
    for (const Rgba& p : readPixels(canvas, left, y, width, 1))
        s += p.lit() ? '#' : '.';
    return s;
}

// Vertices OpenGL receives for one drawing call, through feedback mode: line segments of a
// loop (one per vertex) or triangles of a polygon (vertices - 2).
struct Feedback {
    int lines = 0;
    int triangles = 0;
};
template <class Draw> Feedback feedback(Draw draw) {
    std::vector<GLfloat> buffer(100000);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int n = glRenderMode(GL_RENDER);
    Feedback result;
    for (int i = 0; i < n;) {
        const int token = static_cast<int>(buffer[i]);
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            ++result.lines;
            i += 5;
        } else if (token == GL_POLYGON_TOKEN) {
            const int count = static_cast<int>(buffer[i + 1]);
            result.triangles += count - 2;
            i += 2 + 2 * count;
        } else if (token == GL_POINT_TOKEN) {
            i += 3;
        } else {
            ++i;
        }
    }
    return result;
}

class Rectangles : public CanvasFixture {};

TEST_F(Rectangles, OnePixelWhenLeftEqualsRightAndTopEqualsBottom) {
    Canvas& result = canvas().rect(box(10, 20, 10, 20), Color::white);
    EXPECT_EQ(&result, &canvas());
    EXPECT_EQ(at(10, 20), white);
    EXPECT_EQ(countLit(canvas(), 0, 0, 40, 40), 1);
}

TEST_F(Rectangles, FillCoversBothEdges) {
    canvas().rect(box(5, 6, 14, 9), Color::red);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 30, 30, red), 10 * 4);
    EXPECT_EQ(at(5, 6), red);
    EXPECT_EQ(at(14, 9), red);
    EXPECT_FALSE(at(15, 9).lit());
    EXPECT_FALSE(at(14, 10).lit());
}

TEST_F(Rectangles, OutlineIsAClosedLoopThroughTheCornerPixels) {
    canvas().rect(box(10, 10, 15, 14), Stroke());
    EXPECT_EQ(row(canvas(), 8, 10, 10), "..######..");
    EXPECT_EQ(row(canvas(), 8, 12, 10), "..#....#..");
    EXPECT_EQ(row(canvas(), 8, 14, 10), "..######..");
}

TEST_F(Rectangles, ListWithOneColour) {
    const Rectangle list[3] = {box(0, 0, 1, 1), box(10, 0, 10, 0), box(20, 5, 22, 5)};
    canvas().rect(3, list, Color::green);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 30, 10, green), 4 + 1 + 3);
}

TEST_F(Rectangles, ListWithOneColourEach) {
    const Rectangle list[3] = {box(0, 0, 0, 0), box(2, 0, 2, 0), box(4, 0, 4, 0)};
    const Color colors[3] = {Color::red, Color::green, Color::blue};
    canvas().rect(3, list, colors);
    EXPECT_EQ(at(0, 0), red);
    EXPECT_EQ(at(2, 0), green);
    EXPECT_EQ(at(4, 0), blue);
}

TEST_F(Rectangles, IndexRangeStopsBeforeItsEndAndReversedRangeDrawsNothing) {
    const Rectangle list[4] = {box(0, 0, 0, 0), box(2, 0, 2, 0), box(4, 0, 4, 0), box(6, 0, 6, 0)};
    const Color colors[4] = {Color::white, Color::red, Color::green, Color::blue};
    canvas().rect(list, colors, 1, 3);
    EXPECT_EQ(row(canvas(), 0, 0, 8), "..#.#...");
    canvas().clear(Color::black);
    canvas().rect(list, colors, 3, 1);
    canvas().rect(list, colors, 2, 2);
    EXPECT_EQ(countLit(canvas(), 0, 0, 8, 1), 0);
}

TEST_F(Rectangles, StrokeListsOutlineEveryRectangle) {
    const Rectangle list[2] = {box(2, 2, 4, 4), box(10, 2, 12, 4)};
    canvas().rect(2, list, Stroke(Color::green));
    EXPECT_EQ(countPixels(canvas(), 0, 0, 20, 8, green), 2 * 8);
    canvas().clear(Color::black);
    const Stroke strokes[2] = {Stroke(Color::red), Stroke(Color::blue)};
    canvas().rect(list, strokes, 1, 2);
    EXPECT_EQ(countLit(canvas(), 0, 0, 8, 8), 0);
    EXPECT_EQ(countPixels(canvas(), 8, 0, 8, 8, blue), 8);
}

class Lines : public CanvasFixture {};

TEST_F(Lines, HorizontalAndVerticalLinesStopBeforeTheirLastPixel) {
    canvas().line(10, 10, 20, 10, Color::white);
    canvas().line(Point(10, 12), Point(10, 20), Color::white);
    EXPECT_EQ(row(canvas(), 8, 10, 14), "..##########..");
    EXPECT_EQ(countLit(canvas(), 10, 11, 1, 12), 8); // rows 12..19
}

TEST_F(Lines, LineFigureRunsFromItsDatumToItsEnd) {
    canvas().line(Line(5, 30, 9, 30), Color::green);
    EXPECT_EQ(row(canvas(), 3, 30, 8), "..####..");
    EXPECT_EQ(at(5, 30), green);
}

TEST_F(Lines, StippleRepeatsThePatternScaledByTheRoundedWidth) {
    // 0x00FF: eight pixels on, eight off, from bit 0.
    canvas().line(30, 10, 62, 10, Stroke(Color::white, 1.0, 0x00FF));
    EXPECT_EQ(row(canvas(), 30, 10, 32), "########........########........");
    // Width 2: two rows, and every pattern bit covers two pixels.
    canvas().line(Point(30, 14), Point(62, 14), Stroke(Color::white, 2.0, 0x00FF));
    EXPECT_EQ(row(canvas(), 30, 14, 32), "################................");
    EXPECT_EQ(row(canvas(), 30, 13, 32), "################................");
    EXPECT_EQ(countLit(canvas(), 30, 15, 32, 1), 0);
}

TEST_F(Lines, StrokeWidthOfTwoAndAHalfStipplesByTwo) {
    // 2.5 rounds to the even 2.
    canvas().line(0, 20, 32, 20, Stroke(Color::white, 2.5, 0x0F0F));
    EXPECT_EQ(row(canvas(), 0, 20, 32), "########........########........");
}

TEST_F(Lines, StrokeLeavesNoLineStateBehind) {
    canvas().line(0, 20, 32, 20, Stroke(Color::white, 3.0, 0x0001));
    canvas().clear(Color::black);
    canvas().line(0, 10, 16, 10, Color::white);
    EXPECT_EQ(row(canvas(), 0, 10, 16), "################");
    EXPECT_EQ(countLit(canvas(), 0, 9, 16, 1), 0);
}

TEST_F(Lines, LineListsAndPolylines) {
    const Point segments[4] = {Point(0, 0), Point(4, 0), Point(0, 2), Point(2, 2)};
    canvas().lines(2, segments, Color::white);
    EXPECT_EQ(row(canvas(), 0, 0, 6), "####..");
    EXPECT_EQ(row(canvas(), 0, 2, 6), "##....");
    canvas().clear(Color::black);
    const Point path[3] = {Point(0, 5), Point(5, 5), Point(5, 9)};
    canvas().polyline(3, path, Stroke(Color::white));
    // The shared vertex starts the second segment: the corner is drawn once.
    EXPECT_EQ(row(canvas(), 0, 5, 7), "######.");
    EXPECT_EQ(countLit(canvas(), 5, 6, 1, 4), 3);
}

class Points : public CanvasFixture {};

TEST_F(Points, SinglePointsAndLists) {
    canvas().pix(3, 4, Color::white);
    canvas().pix(Point(5, 4), Color::red);
    EXPECT_EQ(at(3, 4), white);
    EXPECT_EQ(at(5, 4), red);
    const double xs[3] = {10, 11, 12}, ys[3] = {1, 2, 3};
    const Color colors[3] = {Color::red, Color::green, Color::blue};
    canvas().points(3, xs, ys, colors);
    EXPECT_EQ(at(10, 1), red);
    EXPECT_EQ(at(11, 2), green);
    EXPECT_EQ(at(12, 3), blue);
    canvas().points(3, xs, xs, Color::white);
    EXPECT_EQ(at(11, 11), white);
    const Point ps[2] = {Point(20, 20), Point(21, 22)};
    canvas().points(2, ps, colors);
    EXPECT_EQ(at(21, 22), green);
    EXPECT_EQ(countLit(canvas(), 0, 0, 30, 30), 2 + 3 + 3 + 2);
}

class Ellipses : public CanvasFixture {};

TEST_F(Ellipses, ResolutionGrowsWithWidth) {
    // Outline loops: one segment per vertex, the closing vertex included.
    auto outline = [](double w) {
        return feedback([w] { canvas().ellipse(Ellipse(w, 20, Point(150, 120)), Stroke()); }).lines;
    };
    EXPECT_EQ(outline(7), 25 + 1);
    EXPECT_EQ(outline(8), 35 + 1);
    EXPECT_EQ(outline(63), 35 + 1);
    EXPECT_EQ(outline(64), 48 + 1);
    // The widest lists, drawn filled (a group member's own draw) through a group at half size
    // so that they fit the window unclipped: a polygon of n vertices is n - 2 triangles.
    auto filled = [](double w) {
        return feedback([w] {
                   Ellipse e(w, 100, Point(0, 0));
                   Group half;
                   half.append(e).setDatum(Point(150, 120));
                   half.scaleX = half.scaleY = 0.5;
                   canvas().group(half);
               }).triangles +
               2;
    };
    EXPECT_EQ(filled(511), 48 + 1);
    EXPECT_EQ(filled(512), 66 + 1);
}

TEST_F(Ellipses, FilledListsHaveTheSameVertices) {
    const Feedback f = feedback([] { canvas().ellipse(Ellipse(63, 63, Point(150, 120)), Color::white); });
    EXPECT_EQ(f.triangles + 2, 35 + 1);
}

TEST_F(Ellipses, FilledEllipseStaysInsideItsBoxAndIsSymmetricAcross) {
    Rectangle bounds = box(20, 20, 59, 59);
    canvas().ellipse(bounds, Color::white);
    EXPECT_EQ(at(40, 40), white);
    EXPECT_FALSE(at(20, 20).lit());
    EXPECT_FALSE(at(59, 20).lit());
    EXPECT_EQ(countLit(canvas(), 0, 0, 20, 100), 0);
    EXPECT_EQ(countLit(canvas(), 61, 0, 20, 100), 0);
    EXPECT_EQ(countLit(canvas(), 0, 0, 100, 20), 0);
    // Left and right halves of the middle row mirror each other.
    const std::string middle = row(canvas(), 20, 40, 40);
    EXPECT_EQ(middle, std::string(middle.rbegin(), middle.rend()));
}

TEST_F(Ellipses, ListIsScaledToTheWidthAndOneMoreThanTheHeight) {
    // Box 20..59 both ways: the unit circle is stretched 40 wide and 41 high from (20, 20).
    canvas().ellipse(box(20, 20, 59, 59), Color::white);
    auto litRows = [](int x) {
        std::string s;
        for (const Rgba& p : readPixels(canvas(), x, 0, 1, 70))
            s += p.lit() ? '#' : '.';
        return s;
    };
    const std::string tall = std::string(20, '.') + std::string(41, '#') + std::string(9, '.');
    const std::string wide = std::string(20, '.') + std::string(40, '#') + std::string(10, '.');
    EXPECT_EQ(litRows(39), tall);
    EXPECT_EQ(litRows(40), tall);
    EXPECT_EQ(row(canvas(), 0, 39, 70), wide);
    EXPECT_EQ(row(canvas(), 0, 40, 70), wide);
}

TEST_F(Ellipses, OutlineLeavesTheInsideEmpty) {
    canvas().ellipse(Ellipse(40, -1, Point(60, 60)), Stroke(Color::green));
    EXPECT_FALSE(at(60, 60).lit());
    EXPECT_GT(countPixels(canvas(), 0, 0, 120, 120, green), 100);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 120, 120, white), 0);
}

class Polygons : public CanvasFixture {};

Polygon square(double side) {
    Polygon p;
    p.append(0, 0).append(side, 0).append(side, side).append(0, side);
    return p;
}

TEST_F(Polygons, FilledPolygonIsTranslatedByItsDatum) {
    Polygon p = square(4);
    p.setDatum(Point(10, 20));
    canvas().polygon(p, Color::red);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 40, 40, red), 16);
    EXPECT_EQ(at(10, 20), red);
    EXPECT_EQ(at(13, 23), red);
    EXPECT_FALSE(at(14, 23).lit());
}

TEST_F(Polygons, WithoutColourUsesTheCurrentColour) {
    canvas().pix(0, 0, Color::green);
    Polygon p = square(3);
    p.setDatum(Point(5, 5));
    canvas().polygon(p);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 20, 20, green), 1 + 9);
}

TEST_F(Polygons, OutlineIsAClosedLoop) {
    Polygon p = square(5);
    p.setDatum(Point(10, 10));
    canvas().polygon(p, Stroke(Color::blue));
    EXPECT_EQ(row(canvas(), 9, 10, 8), ".######.");
    EXPECT_EQ(row(canvas(), 9, 12, 8), ".#....#.");
}

TEST_F(Polygons, EmptyPolygonDrawsNothingAndReturnsTheCanvas) {
    Polygon empty;
    EXPECT_EQ(&canvas().polygon(empty, Color::white), &canvas());
    EXPECT_EQ(&canvas().polygon(empty, Stroke()), &canvas());
    EXPECT_EQ(&canvas().polygon(empty), &canvas());
    EXPECT_EQ(countLit(canvas(), 0, 0, 50, 50), 0);
}

TEST_F(Polygons, PointArraysAreAbsolute) {
    const Point triangle[3] = {Point(10, 10), Point(20, 10), Point(10, 20)};
    canvas().polygon(3, triangle, Color::white);
    EXPECT_EQ(at(11, 11), white);
    EXPECT_FALSE(at(19, 19).lit());
    canvas().clear(Color::black);
    canvas().polygon(3, triangle, Stroke(Color::red));
    EXPECT_EQ(at(15, 10), red);
    EXPECT_FALSE(at(12, 12).lit());
}

class SegmentText : public CanvasFixture {};

TEST_F(SegmentText, RightAlignedTextEndsAtX) {
    canvas().segmentText("12", 100, 50, Color::white, false);
    // The 2 in the cell x 88..96, the 1 (two right segments) at x 84.
    EXPECT_EQ(row(canvas(), 74, 34, 26), "...............#######....");
    EXPECT_EQ(row(canvas(), 74, 38, 26), "..........#...........#...");
    EXPECT_EQ(row(canvas(), 74, 42, 26), "...............#######....");
    EXPECT_EQ(row(canvas(), 74, 46, 26), "..........#...#...........");
    EXPECT_EQ(row(canvas(), 74, 50, 26), "...............#######....");
    EXPECT_EQ(countLit(canvas(), 0, 0, 76, 60), 0);
    EXPECT_EQ(countLit(canvas(), 97, 0, 60, 60), 0);
    EXPECT_EQ(countLit(canvas(), 0, 51, 160, 20), 0);
}

TEST_F(SegmentText, LeftAlignedTextStartsAtX) {
    canvas().segmentText(std::string("1"), 100, 50, Color::red);
    EXPECT_EQ(countPixels(canvas(), 108, 34, 1, 17, red), 14);
    EXPECT_EQ(countLit(canvas(), 0, 0, 108, 60), 0);
}

TEST_F(SegmentText, CharactersWithoutSegmentsAreADot) {
    canvas().segmentText(". x", 20, 30, Color::white);
    EXPECT_EQ(countLit(canvas(), 0, 0, 80, 60), 3);
    EXPECT_TRUE(at(28, 30).lit());
    EXPECT_TRUE(at(40, 30).lit());
    EXPECT_TRUE(at(52, 30).lit());
}

TEST_F(SegmentText, MinusIsTheMiddleSegmentAndEightHasAllSeven) {
    canvas().segmentText("-", 20, 30, Color::white);
    EXPECT_EQ(row(canvas(), 20, 22, 10), ".#######..");
    EXPECT_EQ(countLit(canvas(), 0, 0, 60, 60), 7);
    canvas().clear(Color::black);
    canvas().segmentText("8", 20, 30, Color::white);
    EXPECT_EQ(countLit(canvas(), 0, 0, 60, 60), 3 * 7 + 4 * 7);
}

// Text and patches put back the current colour and the blending they change.
TEST_F(SegmentText, LeavesTheCurrentColourAndBlendingAsItFoundThem) {
    canvas().pix(0, 0, Color::green);
    canvas().segmentText("8", 20, 30, Color::white);
    StimulusTemplate::Grating(10.0, 10.0, 20.0, 0.0)
        .setDatum(Point(50.0, 50.0, 0.0))
        .draw(canvas()); // drawn opaque
    Polygon p = square(3);
    p.setDatum(Point(5, 5));
    canvas().polygon(p);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 20, 20, green), 1 + 9);
    canvas().rect(box(70.0, 70.0, 71.0, 71.0), Color(1.0, 1.0, 1.0, 0.5));
    EXPECT_NEAR(at(70, 70).r, 128, 1); // blended over black
}

class Colours : public CanvasFixture {};

TEST(Quantiser, RoundsHalvesToEvenAndKeepsTheLowEightBits) {
    EXPECT_EQ(Canvas::quantize(0.5), 128); // 127.5 -> 128
    EXPECT_EQ(Canvas::quantize(1.0), 255);
    EXPECT_EQ(Canvas::quantize(0.2), 51);
    EXPECT_EQ(Canvas::quantize(1.2), 50); // 306 & 0xFF
    EXPECT_EQ(Canvas::quantize(0.0), 0);
    EXPECT_EQ(Canvas::quantize(128.5 / 255.0), 128);
    EXPECT_EQ(Canvas::quantize(8.0), 248);
}

TEST_F(Colours, EightBitSetterSendsTheQuantisedStoredComponents) {
    ASSERT_TRUE(canvas().getColorDepth() == 24 || canvas().getColorDepth() == 32);
    canvas().rect(box(0, 0, 0, 0), Color(0.5, 0.2, 1.0));
    EXPECT_EQ(at(0, 0), (Rgba{128, 51, 255, 255}));
    Color over(Color::raw, 0, 0, 0, 1);
    over.r = 1.2; // stored unchecked, as a sum of colours can be
    canvas().rect(box(1, 0, 1, 0), over);
    EXPECT_EQ(at(1, 0), (Rgba{50, 0, 0, 255}));
}

TEST_F(Colours, TranslucentFillsBlendWithTheBackground) {
    canvas().rect(box(0, 0, 9, 9), Color::white);
    canvas().rect(box(0, 0, 9, 9), Color(Color::raw, 0, 0, 0, 0.5));
    EXPECT_TRUE(at(5, 5).sameColor(Rgba{127, 127, 127, 0}));
}

class Copy : public CanvasFixture {};

TEST_F(Copy, LandsOnTheTargetAndCanClearTheSource) {
    canvas().rect(box(10, 10, 13, 12), Color::white);
    canvas().copy(box(10, 10, 13, 12), box(30, 30, 33, 32));
    EXPECT_EQ(countPixels(canvas(), 30, 30, 4, 3, white), 12);
    EXPECT_EQ(countLit(canvas(), 25, 25, 15, 15), 12);
    EXPECT_EQ(countPixels(canvas(), 10, 10, 4, 3, white), 12);
    canvas().copy(box(30, 30, 33, 32), box(50, 36, 53, 38), true, Color::red);
    EXPECT_EQ(countPixels(canvas(), 50, 36, 4, 3, white), 12);
    EXPECT_EQ(countPixels(canvas(), 30, 30, 4, 3, red), 12);
}

TEST_F(Copy, ReachesTheBottomRow) {
    const int bottom = canvas().getHeight() - 1;
    canvas().rect(box(0, 0, 1, 1), Color::green);
    canvas().copy(box(0, 0, 1, 1), box(5, bottom - 1, 6, bottom));
    EXPECT_EQ(countPixels(canvas(), 5, bottom - 1, 2, 2, green), 4);
}

class Groups : public CanvasFixture {};

TEST_F(Groups, MembersAreDrawnInOrderRelativeToTheDatum) {
    Rectangle first = box(0, 0, 9, 9), second = box(5, 5, 14, 14);
    first.setColor(Color::red);
    second.setColor(Color::green);
    Group g;
    g.append(first).append(second);
    g.setDatum(Point(100, 50));
    canvas().group(g);
    EXPECT_EQ(at(100, 50), red);
    EXPECT_EQ(at(107, 57), green); // the later member on top
    EXPECT_EQ(at(114, 64), green);
    EXPECT_FALSE(at(99, 50).lit());
}

TEST_F(Groups, ClipRectangleLimitsTheMembers) {
    Rectangle big = box(0, 0, 99, 99);
    big.setColor(Color::white);
    Group g;
    g.append(big).setClip(box(10, 20, 19, 24));
    canvas().group(g);
    EXPECT_EQ(countLit(canvas(), 0, 0, 120, 120), 10 * 5);
    EXPECT_EQ(countPixels(canvas(), 10, 20, 10, 5, white), 50);
    // The scissor is switched off again afterwards.
    canvas().rect(box(50, 50, 50, 50), Color::white);
    EXPECT_EQ(at(50, 50), white);
}

TEST_F(Groups, ScaleAndRotation) {
    Rectangle unit = box(0, 0, 0, 0);
    unit.setColor(Color::white);
    Group g;
    g.append(unit);
    g.setDatum(Point(20, 20));
    g.scaleX = 3;
    g.scaleY = 2;
    canvas().group(g);
    EXPECT_EQ(countPixels(canvas(), 0, 0, 60, 60, white), 3 * 2);
    EXPECT_EQ(at(22, 21), white);

    canvas().clear(Color::black);
    g.scaleX = g.scaleY = g.scaleZ = 0; // all zero: not scaled at all
    canvas().group(g);
    EXPECT_EQ(countLit(canvas(), 0, 0, 60, 60), 1);
    EXPECT_EQ(at(20, 20), white);

    canvas().clear(Color::black);
    Rectangle bar = box(0, 0, 9, 0);
    bar.setColor(Color::white);
    Group turned;
    turned.append(bar);
    turned.setDatum(Point(40, 40));
    turned.angle = 90; // x turns into y (downwards)
    canvas().group(turned);
    EXPECT_EQ(countLit(canvas(), 30, 30, 30, 30), 10);
    EXPECT_EQ(countLit(canvas(), 41, 30, 20, 30), 0);
}

TEST_F(Groups, GroupsNestAndEmptyGroupDrawsNothing) {
    Group empty;
    canvas().group(empty);
    EXPECT_EQ(countLit(canvas(), 0, 0, 100, 100), 0);
    Rectangle dot = box(0, 0, 0, 0);
    dot.setColor(Color::white);
    Group inner, outer;
    inner.append(dot).setDatum(Point(5, 6));
    outer.append(inner).setDatum(Point(10, 20));
    canvas().group(outer);
    EXPECT_EQ(at(15, 26), white);
    // The model-view matrix is restored: a plain rectangle lands where it says.
    canvas().rect(box(0, 0, 0, 0), Color::red);
    EXPECT_EQ(at(0, 0), red);
}

// Debug and sanitizer builds check every OpenGL call: a stroke of negative width reaches
// glLineWidth, which refuses it, and the error names that call.
TEST_F(Rectangles, CheckedBuildsNameTheOpenGLCallThatFailed) {
#ifndef STIMORA_GL_CHECKS
    GTEST_SKIP() << "OpenGL calls are checked in Debug and sanitizer builds only";
#endif
    Rectangle r;
    r.set(10, 10, 20, 20);
    const std::string error = errorOf([&] { canvas().rect(r, Stroke(Color::white, -2.0)); });
    EXPECT_NE(error.find("OpenGL ERROR: GL_INVALID_VALUE from glLineWidth("), std::string::npos) << error;
}

} // namespace
} // namespace Stimora::Testing
