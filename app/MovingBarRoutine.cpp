#include "MovingBarRoutine.h"

#include "ScreenMode.h"

#include <Stimora.h>

#include <sstream>
#include <string>
#include <vector>

namespace Stimora {

namespace {

// Fixed constants of the display.
constexpr int barHeight = 40;
constexpr int framesPerStep = 1;
constexpr double redLevel = 1.0;
constexpr int nominalPathLength = 650;
constexpr int maskHeight = 600;
constexpr int fixationSize = 5;
constexpr double rateTextX = 320;
constexpr double rateTextY = 80;
constexpr int rowCapacity = 512;

// The values the console changes; the routine reads them afresh at every frame.
struct Settings {
    int stimulusType = 1;
    int barInterval = 2;
    int barWidth = 10;
    int eccentricity = 40;
    int motionDirection = 1;
    double greenLuminance = 1.0;
};

void registerVariables(Settings& v) {
    using ExperimentalMethods::globalVariables;
    Interval r;
    globalVariables().append(v.stimulusType).label("Stimulus Type").range(1 <= r <= 3).step(1).step(1);
    globalVariables().append(v.barInterval).label("Bar Interval").range(2 <= r <= 6).step(2).step(1);
    globalVariables().append(v.barWidth).label("Bar Width").range(3 <= r <= 10).step(1).step(1);
    globalVariables().append(v.eccentricity).label("Eccentricity").range(20 <= r <= 140).step(10).step(20);
    globalVariables().append(v.motionDirection).label("Motion Direction").range(-1 <= r <= 1).step(1).step(2);
    globalVariables()
        .append(v.greenLuminance)
        .label("Green Luminance")
        .range(0.0 <= r <= 1.0)
        .step(0.05)
        .step(0.05);
}

// One row of bars, placed from a start point outwards by the bar spacing.
struct Row {
    std::vector<Rectangle> bars = std::vector<Rectangle>(rowCapacity);

    void place(int s, double startX, double y, int direction, int width, int spacing) {
        bars[s].set(width, barHeight);
        bars[s].centerAt(startX, y, 0);
        bars[s].shift(direction * s * spacing, 0, 0);
    }
    void fill(int s, const Color& inStep, const Color& swapped, bool swap) {
        const bool even = s % 2 == 0;
        rect(bars[s], even != swap ? inStep : swapped);
    }
};

} // namespace

void movingBarRoutine(Canvas& canvas) {
    Settings v;
    registerVariables(v);

    Rectangle fixation;
    Rectangle leftMask, rightMask;
    Row rowA, rowB;
    Point centre;
    Color first, second;
    int h = 0;
    std::ostringstream rateText;

    const int W = screenWidth, H = screenHeight;
    while (!Keyboard::pushed(Keyboard::escape)) {
        first.set(redLevel, 0.0, 0.0, 1.0);
        second.set(0.0, v.greenLuminance, 0.0, 1.0);

        const int BW = v.barWidth, BI = v.barInterval, E = v.eccentricity;
        const int D = v.motionDirection, T = v.stimulusType;
        const int K = 2 * BI * framesPerStep;
        const int L = nominalPathLength - nominalPathLength % (2 * BW * BI);
        const int M = L / (BW * BI);
        const int P = BI * BW;
        const int X0 = W / 2 - L / 2, X1 = W / 2 + L / 2;
        const int YU = H / 2 - E, YL = H / 2 + E;

        centre = Point(W * 0.5, H * 0.5);
        fixation.set(fixationSize, fixationSize);
        fixation.centerAt(centre.x, centre.y, 0);

        const int A = W / 2 - (L / 2 - 2 * BW * BI);
        leftMask.set(A, maskHeight);
        leftMask.centerAt(A / 2, H / 2, 0);
        rightMask.set(A, maskHeight);
        rightMask.centerAt(W - A / 2, H / 2, 0);

        h = (h + 1) % K;
        const int R = h / framesPerStep;
        const bool phaseZero = h == 0, halfPhase = h == K / 2;
        const bool flash = phaseZero || halfPhase;

        clear(Color::black);
        rect(fixation, Color::white);

        const double upper = D == 1 ? YU : YL;
        const double lower = D == 1 ? YL : YU;
        switch (T) {
        case 1:
            for (int s = 0; s < M; ++s) {
                rowA.place(s, X0 + R * BW, upper, +1, BW, P);
                rowB.place(s, X1 - R * BW, lower, -1, BW, P);
                rowA.fill(s, first, second, false);
                rowB.fill(s, first, second, false);
            }
            break;
        case 2:
            if (flash) {
                for (int s = 0; s < M; ++s) {
                    rowA.place(s, X0, upper, +1, BW, P);
                    rowB.place(s, X1, lower, -1, BW, P);
                }
                for (int s = 0; s < M; ++s) {
                    rowA.fill(s, first, second, halfPhase);
                    rowB.fill(s, first, second, halfPhase);
                }
            }
            break;
        case 3:
            for (int s = 0; s < M; ++s) {
                if (D == 1)
                    rowA.place(s, X0 + R * BW, YU, +1, BW, P);
                else
                    rowA.place(s, X1 - R * BW, YU, -1, BW, P);
                rowA.fill(s, first, second, false);
            }
            if (flash) {
                for (int s = 0; s < M; ++s) {
                    if (D == 1)
                        rowB.place(s, X1, YL, -1, BW, P);
                    else
                        rowB.place(s, X0, YL, +1, BW, P);
                }
                for (int s = 0; s < M; ++s)
                    rowB.fill(s, first, second, halfPhase);
            }
            break;
        default:
            break;
        }

        rateText.str(std::string());
        rateText << screenRefreshRate / (2 * BI);
        canvas.segmentText(rateText.str(), rateTextX, rateTextY, Color::white, false);

        rect(leftMask, Color::black);
        rect(rightMask, Color::black);
        flip();
    }
}

} // namespace Stimora
