#pragma once

#include <atomic>
#include <string>
#include <thread>

// A display and a PR-655/670 in one: a thread answers the instrument's remote-mode protocol on
// a pseudo-terminal, so that the real driver talks to it through a real serial line. Its
// readings come from the pixel values last shown (read back from the canvas and handed over
// with show()), through the display model L = 0.5 + 119.5 v^2.3 cd/m² per channel weighted by
// the channel's share of luminance (Rec. 709), plus Gaussian noise of 0.5 % of the reading.
class SimulatedPhotometer {
public:
    /// Opens the pseudo-terminal and starts answering. seed fixes the noise.
    explicit SimulatedPhotometer(unsigned seed);
    /// Stops the thread and closes both ends.
    ~SimulatedPhotometer();
    SimulatedPhotometer(const SimulatedPhotometer&) = delete;
    SimulatedPhotometer& operator=(const SimulatedPhotometer&) = delete;

    /// The serial device a driver opens (the terminal's far end).
    const std::string& device() const { return slavePath; }
    /// The 8-bit red, green and blue values now on the screen where the instrument points.
    void show(int red, int green, int blue);
    /// Luminance of the model for 8-bit values, without noise.
    static double model(int red, int green, int blue);

private:
    void answer();

    int master = -1, slave = -1;
    std::string slavePath;
    std::atomic<int> pixel{0};
    std::atomic<bool> stopping{false};
    unsigned seed;
    std::thread thread;
};
