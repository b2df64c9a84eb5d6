#pragma once

// A real JACK server on the dummy driver (no sound card), started and stopped by a test under
// a name of its own, and a client that records what the framework plays into it.

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "devices/Clock.h"

extern char** environ;

namespace Stimora::Testing {

/// `jackd -n NAME -d dummy -r rate -p period`, made the default server of this process (as
/// PortAudio finds it); stopped by the destructor.
class JackServer {
public:
    JackServer(int rate, int period) : name("stimora-test-" + std::to_string(getpid())) {
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        const std::string r = std::to_string(rate), p = std::to_string(period);
        const char* argv[] = {"jackd", "-n",      name.c_str(), "-d",      "dummy",
                              "-r",    r.c_str(), "-p",         p.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        // A group of its own: the server signals its group as it ends.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnp(&pid, "jackd", &actions, &attributes, const_cast<char**>(argv), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        jack_set_error_function([](const char*) {}); // its attempts before the server is up
        for (int i = 0; i < 500 && !client; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            client = jack_client_open("recorder", jack_options_t(JackNoStartServer | JackServerName), nullptr,
                                      name.c_str());
        }
        if (client) // libjack ends a process whose client has no handler when the server goes
            jack_on_shutdown(
                client, [](void*) {}, nullptr);
    }
    ~JackServer() {
        if (client)
            jack_client_close(client);
        stop();
        unsetenv("JACK_DEFAULT_SERVER");
    }
    /// Ends the server (as a lost device).
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = 0;
        }
    }
    /// Records from the first output port of the client called source into a buffer of
    /// seconds; frames are stamped with the server's frame time.
    bool record(const std::string& source, double seconds) {
        samples.assign(static_cast<std::size_t>(seconds * jack_get_sample_rate(client)), 0.0f);
        input = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client, &JackServer::process, this);
        if (!input || jack_activate(client) != 0)
            return false;
        const char** ports =
            jack_get_ports(client, (source + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        const bool connected = ports && jack_connect(client, ports[0], jack_port_name(input)) == 0;
        jack_free(ports);
        return connected;
    }
    /// The server frame (with its fraction) at which clock time t falls, by the server's own
    /// frame timer; the two clocks are read together, the closest of five readings kept.
    double frameAt(Clock t) const {
        double best = 1e300, offsetMs = 0.0;
        jack_time_t usecs = 0;
        for (int i = 0; i < 5; ++i) {
            const Clock before = Clock::now();
            const jack_time_t u = jack_get_time();
            const double spread = (Clock::now() - before).milliseconds();
            if (spread < best) {
                best = spread;
                usecs = u;
                offsetMs = (t - before).milliseconds() - spread / 2;
            }
        }
        const double at = static_cast<double>(usecs) + offsetMs * 1000.0;
        const jack_nframes_t frame = jack_time_to_frames(client, static_cast<jack_time_t>(at));
        const double frameUsecs = static_cast<double>(jack_frames_to_time(client, frame));
        return frame + (at - frameUsecs) * jack_get_sample_rate(client) / 1e6;
    }

    std::string name;
    pid_t pid = 0;
    jack_client_t* client = nullptr;
    jack_port_t* input = nullptr;
    std::vector<float> samples; ///< recorded, from frame firstFrame on
    std::atomic<long long> firstFrame{-1};
    std::atomic<std::size_t> filled{0};

private:
    static int process(jack_nframes_t frames, void* self) {
        auto& me = *static_cast<JackServer*>(self);
        const auto* in = static_cast<const float*>(jack_port_get_buffer(me.input, frames));
        const long long now = jack_last_frame_time(me.client);
        if (me.firstFrame < 0)
            me.firstFrame = now;
        const std::size_t at = static_cast<std::size_t>(now - me.firstFrame);
        for (jack_nframes_t i = 0; i < frames && at + i < me.samples.size(); ++i)
            me.samples[at + i] = in[i];
        me.filled = at + frames;
        return 0;
    }
};

} // namespace Stimora::Testing
