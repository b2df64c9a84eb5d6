#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "display/Color.h"
#include "figures/GaborRendererPool.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/QuickGabor.h"
#include "figures/Rectangle.h"

using namespace Stimora;
using namespace Stimora::StimulusTemplate;

namespace {

/// A drawing target that records what a patch hands it instead of drawing.
class RecordingTarget : public Drawable {
public:
    struct GroupCall {
        Point datum;
        double angle;
        std::vector<Color> colors;
        std::vector<Rectangle> bars;
    };
    struct ImageCall {
        double x, y;
        int width, height, layout, precision;
    };
    std::vector<GroupCall> groups;
    std::vector<ImageCall> images;

    int getWidth() override { return 640; }
    int getHeight() override { return 480; }
    Point getCenter() override { return Point(319.5, 239.5, 0); }
    Drawable& clear(const Color&) override { return *this; }
    Drawable& pix(double, double, const Color&) override { return *this; }
    Drawable& line(const Line&, const Stroke&) override { return *this; }
    Drawable& line(const Line&, const Color&) override { return *this; }
    Drawable& rect(const Rectangle&, const Stroke&) override { return *this; }
    Drawable& rect(const Rectangle&, const Color&) override { return *this; }
    Drawable& ellipse(const Ellipse&, const Stroke&) override { return *this; }
    Drawable& ellipse(const Ellipse&, const Color&) override { return *this; }
    Drawable& polygon(const Polygon&, const Stroke&) override { return *this; }
    Drawable& polygon(const Polygon&, const Color&) override { return *this; }
    Drawable& polygon(const Polygon&) override { return *this; }
    Drawable& group(Group& g) override {
        GroupCall call{g.getDatum(), g.angle, {}, {}};
        for (Figure* member : g.getMembers()) {
            const auto* bar = dynamic_cast<Rectangle*>(member);
            if (bar != nullptr) {
                call.colors.push_back(bar->color);
                call.bars.push_back(*bar);
            }
        }
        groups.push_back(call);
        return *this;
    }
    Drawable& image(Image&, double) override { return *this; }
    Drawable& image(Image& img, double x, double y) override {
        images.push_back({x, y, img.getWidth(), img.getHeight(), img.getLayout(), img.getPrecision()});
        return *this;
    }
    Drawable& image(Image&) override { return *this; }
    Drawable& letters(Letters&, const Color&) override { return *this; }
};

GaborRendererPool& pool() {
    return GaborRendererPool::instance();
}

} // namespace

// ---- parameters and placement

TEST(QuickGabor, NewPatchHasNoRendererAndDrawsNothing) {
    QuickGabor patch;
    EXPECT_EQ(patch.getRenderer(), -1);
    EXPECT_EQ(patch.getWavelength().value, 0.0);
    RecordingTarget target;
    patch.draw(target);
    EXPECT_TRUE(target.groups.empty());
    EXPECT_TRUE(target.images.empty());
}

TEST(QuickGabor, SetWithDegreesStoresUnits) {
    QuickGabor patch(16.0, 10.0, 0.5, 45.0, 90.0);
    EXPECT_EQ(patch.getWavelength(), Length(16.0));
    EXPECT_EQ(patch.getSigma(), 10.0);
    EXPECT_EQ(patch.getContrast(), 0.5);
    EXPECT_EQ(patch.getOrientation().value, 450.0);
    EXPECT_EQ(patch.getPhase().value, 900.0);
    EXPECT_EQ(patch.getWidth(), 60);
    EXPECT_EQ(patch.getHeight(), 60);
    EXPECT_EQ(patch.getX(), 0.0);
    EXPECT_GE(patch.getRenderer(), 0);
}

TEST(QuickGabor, SetResetsThePlacement) {
    QuickGabor patch(Length(8), Length(4), 1.0, Angle(), Angle());
    patch.shift(5, 7);
    EXPECT_EQ(patch.getX(), 5.0);
    EXPECT_EQ(patch.getY(), 7.0);
    patch.set(8.0, 4.0, 1.0, 0.0, 0.0);
    EXPECT_EQ(patch.getX(), 0.0);
    EXPECT_EQ(patch.getY(), 0.0);
}

TEST(QuickGabor, CentringAndDatum) {
    QuickGabor patch(20.0, 10.0, 1.0, 0.0, 0.0);
    patch.centerAt(100, 100, 0);
    EXPECT_EQ(patch.getX(), 70.0);
    EXPECT_EQ(patch.getY(), 70.0);
    EXPECT_EQ(patch.getDatum(), Point(100, 100, 0));

    QuickGabor other(20.0, 10.0, 1.0, 0.0, 0.0);
    other.setDatum(Point(100, 100, 5));
    EXPECT_EQ(other.getX(), patch.getX());
    EXPECT_EQ(other.getY(), patch.getY());

    RecordingTarget target;
    other.centerAt(target);
    EXPECT_EQ(other.getX(), 289.5);
    EXPECT_EQ(other.getY(), 209.5);
}

TEST(QuickGabor, ChangingGratingParametersKeepsTheRenderer) {
    QuickGabor patch(20.0, 10.0, 1.0, 0.0, 0.0);
    const int renderer = patch.getRenderer();
    patch.setContrast(0.25).setWavelength(Length(12)).setOrientation(Angle(300)).setPhase(Angle(10));
    EXPECT_EQ(patch.getRenderer(), renderer);
    EXPECT_EQ(patch.getContrast(), 0.25);
    EXPECT_EQ(patch.getWavelength(), Length(12));
}

// ---- the renderer pool

TEST(GaborRendererPool, SigmaTenBuildsSixtyPixelWindowAndBars) {
    QuickGabor patch(20.0, 10.0, 1.0, 0.0, 0.0);
    GaborRendererPool::Renderer& r = pool().at(patch.getRenderer());
    EXPECT_TRUE(r.ready);
    EXPECT_EQ(r.size, 60);
    ASSERT_TRUE(r.window);
    EXPECT_EQ(r.window->getWidth(), 60);
    EXPECT_EQ(r.window->getHeight(), 60);
    EXPECT_EQ(r.window->getLayout(), Image::RGBA);
    EXPECT_EQ(r.window->getPrecision(), Image::FLOAT);
    // Transparent at the centre (column and row h = 30), grey and nearly opaque in the corner.
    EXPECT_EQ(r.window->getPix(30, 30), Color(Color::raw, 0.5, 0.5, 0.5, 0.0));
    const Color corner = r.window->getPix(0, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(corner.a), static_cast<float>(1.0 - std::exp(-1800.0 / 200.0)));
    EXPECT_FLOAT_EQ(static_cast<float>(r.window->getPix(31, 30).a),
                    static_cast<float>(1.0 - std::exp(-1.0 / 200.0)));
    EXPECT_EQ(r.bars.size(), 60u);
    EXPECT_EQ(r.grating->size(), 56u); // bars 1 to 56
}

TEST(GaborRendererPool, BarsAreChordsOfTheDisc) {
    QuickGabor patch(20.0, 10.0, 1.0, 0.0, 0.0);
    GaborRendererPool::Renderer& r = pool().at(patch.getRenderer());
    // r = 29; bar 1 is at offset -28, half height sqrt(29^2 - 28^2).
    const double f = std::sqrt(29.0 * 29.0 - 28.0 * 28.0);
    const Rectangle& bar = r.bars[1];
    EXPECT_DOUBLE_EQ(bar.left, -28.5);
    EXPECT_NEAR(bar.right + 1.0, -27.4, 1e-12); // drawn to right + 1: 1.1 pixels wide
    EXPECT_NEAR(bar.top, -f, 1e-12);
    EXPECT_NEAR(bar.bottom + 1.0, f, 1e-12);
    const Rectangle& middle = r.bars[29];
    EXPECT_DOUBLE_EQ(middle.left, -0.5);
    EXPECT_DOUBLE_EQ(middle.top, -29.0);
}

TEST(GaborRendererPool, MatchesSigmaExactly) {
    QuickGabor a(20.0, 10.0, 1.0, 0.0, 0.0);
    QuickGabor b(20.0, 10.1, 1.0, 0.0, 0.0);
    EXPECT_EQ(b.getWidth(), 60);
    EXPECT_NE(a.getRenderer(), b.getRenderer());
    EXPECT_EQ(pool().at(b.getRenderer()).size, 60);
}

TEST(GaborRendererPool, SameSigmaSharesAndSurvivesOneOwner) {
    auto first = std::make_unique<QuickGabor>(20.0, 7.25, 1.0, 0.0, 0.0);
    QuickGabor second(12.0, 7.25, 0.3, 10.0, 0.0);
    ASSERT_EQ(first->getRenderer(), second.getRenderer());
    const int index = second.getRenderer();
    EXPECT_EQ(pool().at(index).users, 2);
    first.reset();
    EXPECT_EQ(pool().at(index).users, 1);
    EXPECT_TRUE(pool().at(index).ready);
    RecordingTarget target;
    second.draw(target);
    EXPECT_EQ(target.groups.size(), 1u);
    EXPECT_EQ(target.images.size(), 1u);
}

TEST(GaborRendererPool, LastReleaseFreesAndReacquireRebuildsInPlace) {
    int index = -1;
    std::size_t poolSize = 0;
    QuickGabor bystander(20.0, 6.5, 1.0, 0.0, 0.0);
    const int bystanderIndex = bystander.getRenderer();
    {
        QuickGabor patch(20.0, 5.75, 1.0, 0.0, 0.0);
        index = patch.getRenderer();
        poolSize = pool().size();
    }
    GaborRendererPool::Renderer& released = pool().at(index);
    EXPECT_EQ(released.users, 0);
    EXPECT_FALSE(released.ready);
    EXPECT_FALSE(released.window);
    EXPECT_TRUE(released.bars.empty());

    QuickGabor again(20.0, 5.75, 1.0, 0.0, 0.0);
    EXPECT_EQ(again.getRenderer(), index);
    EXPECT_EQ(pool().size(), poolSize);
    EXPECT_TRUE(pool().at(index).ready);
    ASSERT_TRUE(pool().at(index).window);
    EXPECT_EQ(pool().at(index).window->getWidth(), 34);
    EXPECT_EQ(bystander.getRenderer(), bystanderIndex);
    RecordingTarget target;
    again.draw(target);
    EXPECT_EQ(target.images.size(), 1u);
}

TEST(GaborRendererPool, CopiesCountAsUsers) {
    QuickGabor original(20.0, 9.5, 1.0, 0.0, 0.0);
    const int index = original.getRenderer();
    {
        QuickGabor copy(original);
        EXPECT_EQ(copy.getRenderer(), index);
        EXPECT_EQ(pool().at(index).users, 2);
        QuickGabor assigned;
        assigned = original;
        EXPECT_EQ(pool().at(index).users, 3);
    }
    EXPECT_EQ(pool().at(index).users, 1);
    EXPECT_TRUE(pool().at(index).ready);
}

TEST(GaborRendererPool, NewSigmaReleasesTheOldRenderer) {
    QuickGabor patch(20.0, 8.5, 1.0, 0.0, 0.0);
    const int old = patch.getRenderer();
    patch.set(20.0, 8.75, 1.0, 0.0, 0.0);
    EXPECT_NE(patch.getRenderer(), old);
    EXPECT_EQ(pool().at(old).users, 0);
    EXPECT_FALSE(pool().at(old).ready);
}

// ---- drawing (recorded)

TEST(QuickGaborDraw, HandsBarsAndWindowToTheTarget) {
    QuickGabor patch(8.0, 10.0, 1.0, 30.0, 0.0);
    RecordingTarget target;
    patch.draw(12, 34, target);
    ASSERT_EQ(target.groups.size(), 1u);
    const RecordingTarget::GroupCall& g = target.groups[0];
    EXPECT_EQ(g.datum, Point(12 + 29, 34 + 29, 0)); // rotation centre (x + c, y + c)
    EXPECT_EQ(g.angle, 30.0);
    ASSERT_EQ(g.colors.size(), 56u);
    // Bar i is grey 0.5 + 0.5 x contrast x sin(2 pi i / wavelength + phase).
    for (std::size_t k = 0; k < g.colors.size(); ++k) {
        const double i = static_cast<double>(k + 1);
        const double grey = 0.5 + 0.5 * std::sin(2.0 * std::acos(-1.0) * i / 8.0);
        EXPECT_NEAR(g.colors[k].r, grey, 1e-12) << "bar " << i;
    }
    EXPECT_NEAR(g.colors[1].r, 1.0, 1e-12); // i = 2: a quarter cycle
    EXPECT_NEAR(g.colors[5].r, 0.0, 1e-12); // i = 6: three quarters
    ASSERT_EQ(target.images.size(), 1u);
    EXPECT_EQ(target.images[0].x, 12.0);
    EXPECT_EQ(target.images[0].y, 34.0);
    EXPECT_EQ(target.images[0].width, 60);
}

TEST(QuickGaborDraw, PhaseShiftsEveryBar) {
    QuickGabor patch(8.0, 10.0, 0.5, 0.0, 90.0);
    RecordingTarget target;
    patch.draw(0, 0, target);
    ASSERT_EQ(target.groups.size(), 1u);
    // i = 8: sin(2 pi + pi / 2) = 1 -> 0.5 + 0.25.
    EXPECT_NEAR(target.groups[0].colors[7].r, 0.75, 1e-12);
}

TEST(QuickGaborDraw, FigureDrawTruncatesTheCorner) {
    QuickGabor patch(8.0, 10.0, 1.0, 0.0, 0.0);
    patch.shift(10.9, -3.7);
    RecordingTarget target;
    patch.draw(target);
    ASSERT_EQ(target.images.size(), 1u);
    EXPECT_EQ(target.images[0].x, 10.0);
    EXPECT_EQ(target.images[0].y, -3.0);
    EXPECT_EQ(target.groups[0].datum, Point(39, 26, 0));
}

TEST(QuickGaborDraw, WavelengthZeroDrawsNothing) {
    QuickGabor patch(0.0, 10.0, 1.0, 0.0, 0.0);
    RecordingTarget target;
    patch.draw(5, 5, target);
    EXPECT_TRUE(target.groups.empty());
    EXPECT_TRUE(target.images.empty());
}

TEST(QuickGaborDraw, TinySigmaDrawsNothing) {
    for (double sigma : {0.8, 0.5, 0.0, -3.0}) {
        QuickGabor patch(8.0, sigma, 1.0, 0.0, 0.0);
        RecordingTarget target;
        patch.draw(5, 5, target);
        EXPECT_TRUE(target.groups.empty()) << sigma;
        EXPECT_TRUE(target.images.empty()) << sigma;
    }
    QuickGabor smallest(8.0, 5.0 / 6.0 + 1e-9, 1.0, 0.0, 0.0); // N = 5: one bar
    RecordingTarget target;
    smallest.draw(0, 0, target);
    ASSERT_EQ(target.groups.size(), 1u);
    EXPECT_EQ(target.groups[0].colors.size(), 1u);
}
