#pragma once

// A drawing target that records which operation a figure hands itself to, for the figure tests.

#include <gmock/gmock.h>

#include "base/Point.h"
#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Stroke.h"

namespace Stimora::Testing {

/// Every Drawable operation mocked; no default actions (a test sets what it expects).
class MockDrawable : public Drawable {
public:
    MOCK_METHOD(int, getWidth, (), (override));
    MOCK_METHOD(int, getHeight, (), (override));
    MOCK_METHOD(Point, getCenter, (), (override));
    MOCK_METHOD(Drawable&, clear, (const Color&), (override));
    MOCK_METHOD(Drawable&, pix, (double, double, const Color&), (override));
    MOCK_METHOD(Drawable&, line, (const Line&, const Stroke&), (override));
    MOCK_METHOD(Drawable&, line, (const Line&, const Color&), (override));
    MOCK_METHOD(Drawable&, rect, (const Rectangle&, const Stroke&), (override));
    MOCK_METHOD(Drawable&, rect, (const Rectangle&, const Color&), (override));
    MOCK_METHOD(Drawable&, ellipse, (const Ellipse&, const Stroke&), (override));
    MOCK_METHOD(Drawable&, ellipse, (const Ellipse&, const Color&), (override));
    MOCK_METHOD(Drawable&, polygon, (const Polygon&, const Stroke&), (override));
    MOCK_METHOD(Drawable&, polygon, (const Polygon&, const Color&), (override));
    MOCK_METHOD(Drawable&, polygon, (const Polygon&), (override));
    MOCK_METHOD(Drawable&, group, (Group&), (override));
    MOCK_METHOD(Drawable&, image, (Image&, double), (override));
    MOCK_METHOD(Drawable&, image, (Image&, double, double), (override));
    MOCK_METHOD(Drawable&, image, (Image&), (override));
    MOCK_METHOD(Drawable&, letters, (Letters&, const Color&), (override));
};

/// Typed matchers pick the colour or the stroke overload of a drawing operation.
inline ::testing::Matcher<const Color&> isColor(const Color& c) {
    return ::testing::Eq(c);
}
/// See isColor.
inline ::testing::Matcher<const Stroke&> isStroke(const Stroke& s) {
    return ::testing::Eq(s);
}

} // namespace Stimora::Testing
