#include "APIAudioOutput.h"

#include <cstdio>
#include <fcntl.h>
#include <jack/jack.h>
#include <pa_jack.h>
#include <portaudio.h>
#include <strings.h>
#include <typeinfo>
#include <unistd.h>

#include "base/Exception.h"

namespace Stimora {

namespace {

bool contains(const char* name, const std::string& part) {
    if (part.empty())
        return true;
    const std::size_t n = part.size();
    for (const char* p = name; *p; ++p)
        if (strncasecmp(p, part.c_str(), n) == 0)
            return true;
    return false;
}

std::string format(int channels, int rate) {
    char text[96];
    std::snprintf(text, sizeof text, "%d channel%s of 32-bit float at %s", channels, channels == 1 ? "" : "s",
                  rate > 0 ? (std::to_string(rate) + " Hz").c_str() : "the device's rate");
    return text;
}

int streamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                   PaStreamCallbackFlags flags, void* user) {
    const auto& sink = *static_cast<const APIAudioOutput::Sink*>(user);
    // PortAudio stamps a JACK buffer with the frame time at which its callback woke, some
    // samples after the cycle began: the server's cycle times say how many.
    double sinceCycle = -1.0;
    jack_nframes_t frame;
    jack_time_t cycleStart, next;
    float periodUsecs;
    if (sink.jack && jack_get_cycle_times(static_cast<jack_client_t*>(sink.jack), &frame, &cycleStart, &next,
                                          &periodUsecs) == 0)
        sinceCycle = static_cast<double>(jack_get_time() - cycleStart) / 1e6;
    const double latency =
        time && time->outputBufferDacTime > 0.0 ? time->outputBufferDacTime - time->currentTime : -1.0;
    sink.render(sink.user, static_cast<float*>(output), frames, latency, sinceCycle,
                (flags & paOutputUnderflow) != 0);
    return paContinue;
}

// On libjack's thread, once: the stamps fall back to PortAudio's own.
void jackServerGone(void* user) {
    auto* sink = static_cast<APIAudioOutput::Sink*>(user);
    sink->jack = nullptr;
    sink->gone = true;
}

// ALSA's library writes a line to standard error for every card it looks for and does not
// find; the failure that matters comes back as an exception.
PaError initializeQuietly() {
    std::fflush(stderr);
    const int saved = dup(2);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        dup2(null, 2);
    const PaError error = Pa_Initialize();
    if (saved >= 0 && null >= 0)
        dup2(saved, 2);
    if (null >= 0)
        close(null);
    if (saved >= 0)
        close(saved);
    return error;
}

} // namespace

std::string APIAudioOutput::listDevices() {
    std::string list;
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxOutputChannels > 0)
            list += (list.empty() ? "" : "; ") + std::string(Pa_GetHostApiInfo(info->hostApi)->name) + ": " +
                    info->name;
    }
    return list.empty() ? "none" : list;
}

APIAudioOutput::APIAudioOutput(const std::string& hostApi, const std::string& device, int rate, int channels,
                               double latencyMs, Render render_, void* user_) {
    sink.render = render_;
    sink.user = user_;
    sink.jack = nullptr;
    const std::string wanted =
        (hostApi.empty() ? std::string("default host API") : "host API \"" + hostApi + "\"") + ", " +
        (device.empty() ? std::string("default device") : "device \"" + device + "\"");
    auto fail = [&](const std::string& why) {
        throw Exception(typeid(APIAudioOutput), "DEVICE ERROR",
                        "No sound output on " + wanted + " for " + format(channels, rate) + ": " + why);
    };
    PaJack_SetClientName("Stimora");
    PaError error = initializeQuietly();
    if (error != paNoError)
        fail(Pa_GetErrorText(error));
    initialized = true;

    PaDeviceIndex chosen = paNoDevice;
    // Without a host API named, the default one is tried first, then the others in order (a
    // machine whose ALSA has no card may still run a JACK server).
    const PaHostApiIndex count = Pa_GetHostApiCount();
    for (PaHostApiIndex k = -1; k < count && chosen == paNoDevice; ++k) {
        const PaHostApiIndex h = k < 0 ? Pa_GetDefaultHostApi() : k;
        if (h < 0 || (k >= 0 && h == Pa_GetDefaultHostApi()))
            continue;
        const PaHostApiInfo* api = Pa_GetHostApiInfo(h);
        if (!hostApi.empty() && !contains(api->name, hostApi))
            continue;
        if (device.empty()) {
            chosen = api->defaultOutputDevice;
            continue;
        }
        for (int d = 0; d < api->deviceCount; ++d) {
            const PaDeviceIndex index = Pa_HostApiDeviceIndexToDeviceIndex(h, d);
            const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
            if (info && info->maxOutputChannels > 0 && contains(info->name, device)) {
                chosen = index;
                break;
            }
        }
    }
    if (chosen == paNoDevice) {
        const std::string devices = listDevices();
        Pa_Terminate();
        initialized = false;
        fail("there is no such device (output devices: " + devices + ").");
    }
    const PaDeviceInfo* info = Pa_GetDeviceInfo(chosen);
    deviceName = std::string(Pa_GetHostApiInfo(info->hostApi)->name) + ": " + info->name;
    PaStreamParameters parameters{};
    parameters.device = chosen;
    parameters.channelCount = channels;
    parameters.sampleFormat = paFloat32;
    parameters.suggestedLatency = latencyMs > 0.0 ? latencyMs / 1000.0 : info->defaultLowOutputLatency;
    const double streamRate = rate > 0 ? rate : info->defaultSampleRate;
    auto refuse = [&](PaError e) {
        Pa_Terminate();
        initialized = false;
        throw Exception(typeid(APIAudioOutput), "DEVICE ERROR",
                        "The sound output \"" + deviceName + "\" refuses " +
                            format(channels, static_cast<int>(streamRate)) + ": " + Pa_GetErrorText(e));
    };
    if (channels < 1 || channels > info->maxOutputChannels)
        refuse(paInvalidChannelCount);
    error = Pa_IsFormatSupported(nullptr, &parameters, streamRate);
    if (error != paFormatIsSupported)
        refuse(error);
    PaStream* opened = nullptr;
    error = Pa_OpenStream(&opened, nullptr, &parameters, streamRate, paFramesPerBufferUnspecified, paNoFlag,
                          &streamCallback, &sink);
    if (error != paNoError)
        refuse(error);
    stream = opened;
    if (Pa_GetHostApiInfo(info->hostApi)->type == paJACK) {
        // A second, passive client of the same server, only to read its cycle times.
        jackClock = jack_client_open("Stimora-clock", JackNoStartServer, nullptr);
        if (jackClock) {
            // Without a shutdown handler libjack would end the process when the server goes.
            jack_on_shutdown(static_cast<jack_client_t*>(jackClock), &jackServerGone, &sink);
            sink.jack = jackClock;
        }
    }
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
    latency = streamInfo ? 1000.0 * streamInfo->outputLatency : 0.0;
    sampleRate = static_cast<int>(streamInfo ? streamInfo->sampleRate : streamRate);
}

APIAudioOutput::~APIAudioOutput() {
    if (abandoned || sink.gone)
        return;
    if (stream) {
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
    }
    if (jackClock)
        jack_client_close(static_cast<jack_client_t*>(jackClock));
    if (initialized)
        Pa_Terminate();
}

void APIAudioOutput::start() {
    const PaError error = Pa_StartStream(stream);
    if (error != paNoError)
        throw Exception(typeid(APIAudioOutput), "DEVICE ERROR",
                        "The sound output \"" + deviceName + "\" does not start: " + Pa_GetErrorText(error));
}

bool APIAudioOutput::active() const {
    return !sink.gone && Pa_IsStreamActive(stream) == 1;
}

} // namespace Stimora
