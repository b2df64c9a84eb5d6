#include "SimulatedPhotometer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <random>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

SimulatedPhotometer::SimulatedPhotometer(unsigned seed_) : seed(seed_) {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("simulated photometer: no pseudo-terminal (") +
                                 std::strerror(errno) + ")");
    slavePath = name;
    // The device end speaks raw bytes, as a serial instrument does.
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    thread = std::thread([this] { answer(); });
}

SimulatedPhotometer::~SimulatedPhotometer() {
    stopping = true;
    thread.join();
    close(master);
    close(slave);
}

void SimulatedPhotometer::show(int red, int green, int blue) {
    pixel = (red << 16) | (green << 8) | blue;
}

double SimulatedPhotometer::model(int red, int green, int blue) {
    auto response = [](int v) { return std::pow(v / 255.0, 2.3); };
    return 0.5 + 119.5 * (0.2126 * response(red) + 0.7152 * response(green) + 0.0722 * response(blue));
}

// The instrument's side of the line: commands in, one answer line per command out. Fixed
// buffers only; the loop allocates nothing.
void SimulatedPhotometer::answer() {
    std::mt19937 generator(seed);
    std::normal_distribution<double> noise(0.0, 0.005);
    char command[64];
    std::size_t length = 0;
    while (!stopping) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char c;
        if (read(master, &c, 1) != 1)
            continue;
        if (length < sizeof command - 1)
            command[length++] = c;
        command[length] = '\0';
        char reply[96];
        int n = 0;
        if (std::strstr(command, "PHOTO")) {
            n = std::snprintf(reply, sizeof reply, " REMOTE MODE\r\n");
        } else if (c == '\r' && std::strncmp(command, "M1", 2) == 0) {
            const int v = pixel;
            const double l = model(v >> 16, (v >> 8) & 0xFF, v & 0xFF) * (1.0 + noise(generator));
            n = std::snprintf(reply, sizeof reply, "00000,0,%.4e,0.3127,0.3290\r\n", l);
        } else if (c == '\r' || c == 'Q') {
            length = 0;
        }
        if (n > 0) {
            length = 0;
            if (write(master, reply, static_cast<std::size_t>(n)) != n)
                return;
        }
    }
}
