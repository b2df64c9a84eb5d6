// An experiment outside the tree: includes the umbrella header, links Stimora::stimora (or the
// pkg-config flags). With the argument "canvas" it also draws on a window of the display.
#include <Stimora.h>

#include <cstring>
#include <iostream>

namespace {

// A red square on black, read back from the back buffer through the framework.
bool drawsOnCanvas() {
    using namespace Stimora;
    Canvas canvas(64, 64, Display::primary());
    canvas.clear(Color::black);
    Rectangle square;
    square.set(8, 8, 23, 23);
    canvas.rect(square, Color::red);
    Image picture(64, 64, Image::RGB, Image::BYTE);
    Rectangle all;
    all.set(0, 0, 63, 63);
    canvas.capture(picture, all);
    canvas.flip();
    const Color inside = picture.getPix(15, 15), outside = picture.getPix(40, 40);
    return inside.r == 1.0 && inside.g == 0.0 && outside.r == 0.0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace Stimora;
    startUp();
    seed(4357);
    const double first = Stimora::random();
    seed(4357);
    if (Stimora::random() != first || roundToInt(2.5) != 2 || roundToInt(-2.7) != -2) {
        std::cerr << "framework answered wrongly\n";
        return 1;
    }
    Exception e(typeid(Clock), "HARDWARE NOT SUPPORTED", "x");
    if (e.text() != "class Stimora::Clock [HARDWARE NOT SUPPORTED] x") {
        std::cerr << e.text() << "\n";
        return 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "canvas") == 0 && !drawsOnCanvas()) {
        std::cerr << "canvas drew wrongly\n";
        return 1;
    }
    std::cout << "consumer ok\n";
    return 0;
}
