#include "experiment/VariableConsole.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "devices/Keyboard.h"
#include "devices/Mouse.h"
#include "display/Canvas.h"
#include "experiment/Variable.h"
#include "experiment/VariableList.h"
#include "figures/Rectangle.h"

namespace Stimora {
namespace ExperimentalMethods {

namespace {

constexpr double rowHeight = 20.0;
constexpr double panelWidth = 220.0;
constexpr double barLeft = 10.0;
constexpr double barLength = 200.0;
constexpr double baselineOffset = 15.0;
constexpr double barHeight = 12.0;

} // namespace

VariableConsole::VariableConsole(VariableList* list) : variables(list) {
    initializePalette();
}

VariableConsole::VariableConsole(std::vector<Variable*>* list) : variableArray(list) {
    initializePalette();
}

VariableConsole::~VariableConsole() = default;

void VariableConsole::initializePalette() {
    datum = Point(0.0, 0.0, 0.0);
    colors[selectedText] = Color::white;
    colors[otherText] = Color(0.7);
    colors[background] = Color(0.5, 0.5, 0.5, 0.5);
    // The bar's blue is 8.0, not 0.8: kept as stored so that the colour path saturates it.
    colors[bar] = Color(0.2, 0.2, 8.0, 0.4);
    colors[bar].b = 8.0;
    colors[hoveredBar] = Color(0.0, 0.0, 1.0, 0.6);
}

int VariableConsole::size() const {
    if (variables)
        return static_cast<int>(variables->size());
    if (variableArray)
        return static_cast<int>(variableArray->size());
    return 0;
}

Variable& VariableConsole::row(int k) const {
    if (variables)
        return (*variables)[static_cast<std::size_t>(k)];
    return *(*variableArray)[static_cast<std::size_t>(k)];
}

const char* VariableConsole::valueField(const std::string& text, char (&buffer)[31]) {
    // snprintf stops at the buffer's end, which is also the 30-character cut.
    std::snprintf(buffer, sizeof buffer, "%30s", text.c_str());
    return buffer;
}

VariableConsole& VariableConsole::draw(Drawable& target) {
    const int n = size();
    if (n == 0)
        return *this;
    if (selected < 0 || selected >= n)
        selected = selected < 0 ? 0 : n - 1; // a list that shrank under the console
    const double x0 = datum.x, y0 = datum.y;

    if (Keyboard::pushed(Keyboard::right))
        row(selected).increment(Keyboard::pressed(Keyboard::shift) ? 1 : 0);
    if (Keyboard::pushed(Keyboard::left))
        row(selected).decrement(Keyboard::pressed(Keyboard::shift) ? 1 : 0);
    if (Keyboard::pushed(Keyboard::up)) {
        selected = selected - 1;
        if (selected < 0)
            selected = n - 1;
    }
    if (Keyboard::pushed(Keyboard::down)) {
        selected = selected + 1;
        if (selected >= n)
            selected = 0;
    }

    if (Mouse::pressed(Mouse::left)) {
        // A drag keeps acting on the row where the press began: hovered is frozen meanwhile.
        const double ratio = (Mouse::position().x - (x0 + barLeft)) / barLength;
        if (hovered >= 0 && hovered < n && ratio >= 0.0 && ratio <= 1.0)
            row(hovered).setByRatio(ratio);
    } else {
        hovered = static_cast<int>(std::floor((Mouse::position().y - y0) / rowHeight));
    }

    Rectangle panel;
    panel.set(panelWidth, rowHeight * n);
    panel.shift(x0, y0, 0.0);
    panel.draw(colors[background], target);

    Rectangle barRectangle;
    char field[31];
    for (int k = 0; k < n; ++k) {
        Variable& variable = row(k);
        const double y = y0 + baselineOffset + rowHeight * k;
        barRectangle.set(x0 + barLeft, y - barHeight, x0 + barLeft + barLength * variable.ratio(), y);
        barRectangle.draw(colors[k == hovered ? hoveredBar : bar], defaultTarget());
        const Color& text = colors[k == selected ? selectedText : otherText];
        message(variable.label(), x0 + barLeft, y, text, 0, -1);
        message(valueField(variable.toText(), field), x0, y, text, 0, -1);
    }
    return *this;
}

} // namespace ExperimentalMethods
} // namespace Stimora
