// An experiment outside the tree: includes the umbrella header, links Stimora::stimora.
#include <Stimora.h>

#include <iostream>

int main() {
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
    std::cout << "consumer ok\n";
    return 0;
}
