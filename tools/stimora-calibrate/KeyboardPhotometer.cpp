#include "KeyboardPhotometer.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "devices/Keyboard.h"
#include "display/Canvas.h"

using namespace Stimora;

KeyboardPhotometer::KeyboardPhotometer(Canvas& canvas_, std::function<void()> draw_)
    : canvas(canvas_), draw(std::move(draw_)) {}

double KeyboardPhotometer::measure() {
    static const Keyboard::Key digits[10] = {Keyboard::zero,  Keyboard::one,  Keyboard::two, Keyboard::three,
                                             Keyboard::four,  Keyboard::five, Keyboard::six, Keyboard::seven,
                                             Keyboard::eight, Keyboard::nine};
    static const Keyboard::Key pad[10] = {Keyboard::pad0, Keyboard::pad1, Keyboard::pad2, Keyboard::pad3,
                                          Keyboard::pad4, Keyboard::pad5, Keyboard::pad6, Keyboard::pad7,
                                          Keyboard::pad8, Keyboard::pad9};
    std::string typed, note;
    const Color ink(Color::raw, 1.0, 1.0, 0.0, 1.0), strip(Color::raw, 0.0, 0.0, 0.0, 1.0);
    for (;;) {
        draw();
        canvas.rect(Rectangle(0, 0, canvas.getWidth() - 1, 40), strip);
        canvas.message(ask + typed + "_   (Enter: take, Left: erase, Escape: stop) " + note, 10, 24, ink);
        canvas.flip();
        if (Keyboard::pushed(Keyboard::escape))
            throw std::runtime_error("stopped with Escape; the readings taken are kept in the journal");
        for (int d = 0; d < 10; ++d)
            if (Keyboard::pushed(digits[d]) || Keyboard::pushed(pad[d]))
                typed += static_cast<char>('0' + d);
        if (Keyboard::pushed(Keyboard::period))
            typed += '.';
        if (Keyboard::pushed(Keyboard::left) && !typed.empty())
            typed.pop_back();
        if (Keyboard::pushed(Keyboard::enter)) {
            char* end = nullptr;
            const double value = std::strtod(typed.c_str(), &end);
            if (!typed.empty() && end && *end == '\0' && std::isfinite(value))
                return value;
            note = "\"" + typed + "\" is no luminance";
            typed.clear();
        }
    }
}
