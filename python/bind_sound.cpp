// Sound: sounds in memory (to and from numpy), the audio output, and sounds started at the
// onset of a canvas's next frame. A canvas keeps a pointer to its audio output, so the output
// given to setAudioOutput stays alive in Python until it is replaced or the canvas dies.

#include "Bindings.h"

#include <memory>
#include <string>
#include <vector>

namespace StimoraPython {

using namespace Stimora;

namespace {

using Samples = py::array_t<float, py::array::c_style | py::array::forcecast>;
using Buffer = std::shared_ptr<const std::vector<float>>;

// A read-only view of a sound's samples, which never change once made: frames x channels
// (a flat array for mono). The view holds a share of the buffer, so it may outlive the sound.
py::array view(const Sound& sound) {
    auto* share = new Buffer(sound.buffer());
    py::capsule owner(share, [](void* p) { delete static_cast<Buffer*>(p); });
    const auto frames = static_cast<py::ssize_t>(sound.frames());
    std::vector<py::ssize_t> shape{frames};
    if (sound.channels() > 1)
        shape.push_back(sound.channels());
    py::array_t<float> samples(shape, (*share)->data(), owner);
    py::detail::array_proxy(samples.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return std::move(samples);
}

// A frames x channels array, or a flat one of interleaved frames of channels.
Sound fromArray(const Samples& samples, int channels, int rate) {
    if (samples.ndim() == 2)
        channels = static_cast<int>(samples.shape(1));
    else if (samples.ndim() != 1)
        throw Exception(typeid(Sound), "ARGUMENT ERROR",
                        "Sound.fromSamples: samples come as a flat array of interleaved frames or an array "
                        "of one row of 1 or 2 channels per frame.");
    return Sound::fromSamples(std::vector<float>(samples.data(), samples.data() + samples.size()), channels,
                              rate);
}

} // namespace

void bindSound(py::module_& m) {
    const auto release = py::call_guard<py::gil_scoped_release>();

    py::class_<Sound>(m, "Sound", doc("Sound"))
        .def(py::init<>(), doc("Sound.Sound"))
        .def_static("tone", &Sound::tone, py::arg("frequencyHz"), py::arg("durationMs"),
                    py::arg("levelDb") = -12.0, py::arg("rampMs") = 5.0, py::arg("rate") = 48000,
                    doc("Sound.tone"))
        .def_static("noise", &Sound::noise, py::arg("durationMs"), py::arg("levelDb") = -12.0,
                    py::arg("rampMs") = 5.0, py::arg("rate") = 48000, py::arg("seed") = 1, doc("Sound.noise"))
        .def_static("silence", &Sound::silence, py::arg("durationMs"), py::arg("rate") = 48000,
                    doc("Sound.silence"))
        .def_static(
            "fromSamples", &fromArray, py::arg("samples"), py::arg("channels") = 1, py::arg("rate") = 48000,
            "The experiment's own samples in -1..1, copied once: a (frames, channels) array of 1 or 2 "
            "channels, or a flat array of interleaved frames of channels, at rate samples per second "
            "(converted to float32).")
        .def_static("load", &Sound::load, py::arg("path"), py::arg("rate") = 48000, doc("Sound.load"),
                    release)
        .def("resampled", &Sound::resampled, py::arg("rate"), doc("Sound.resampled"), release)
        .def("toChannel", &Sound::toChannel, py::arg("channel"), doc("Sound.toChannel"), chain)
        .def("channel", &Sound::channel, doc("Sound.channel"))
        .def("channels", &Sound::channels, doc("Sound.channels"))
        .def("rate", &Sound::rate, doc("Sound.rate"))
        .def("frames", &Sound::frames, doc("Sound.frames"))
        .def("durationMs", &Sound::durationMs, doc("Sound.durationMs"))
        .def("samples", &view,
             "The samples as a read-only float32 view, no copy: one value per frame for mono, (frames, 2) "
             "for stereo.")
        .def("__repr__", [](const Sound& s) {
            return "Sound(" + std::to_string(s.frames()) + " frames, " + std::to_string(s.channels()) +
                   " channels, " + std::to_string(s.rate()) + " Hz)";
        });

    py::class_<AudioOutput> output(m, "AudioOutput", doc("AudioOutput"));
    py::class_<AudioOutput::Settings>(output, "Settings", doc("AudioOutput.Settings"))
        .def(py::init<>())
        .def_readwrite("hostApi", &AudioOutput::Settings::hostApi, doc("AudioOutput.Settings.hostApi"))
        .def_readwrite("device", &AudioOutput::Settings::device, doc("AudioOutput.Settings.device"))
        .def_readwrite("rate", &AudioOutput::Settings::rate, doc("AudioOutput.Settings.rate"))
        .def_readwrite("channels", &AudioOutput::Settings::channels, doc("AudioOutput.Settings.channels"))
        .def_readwrite("latencyMs", &AudioOutput::Settings::latencyMs, doc("AudioOutput.Settings.latencyMs"));
    using Timing = AudioOutput::SoundTiming;
    py::class_<Timing>(output, "SoundTiming", doc("AudioOutput.SoundTiming"))
        .def_readonly("id", &Timing::id, doc("AudioOutput.SoundTiming.id"))
        .def_readonly("requested", &Timing::requested, doc("AudioOutput.SoundTiming.requested"))
        .def_readonly("onset", &Timing::onset, doc("AudioOutput.SoundTiming.onset"))
        .def_readonly("lateMs", &Timing::lateMs, doc("AudioOutput.SoundTiming.lateMs"))
        .def_readonly("latencyMs", &Timing::latencyMs, doc("AudioOutput.SoundTiming.latencyMs"))
        .def_readonly("started", &Timing::started, doc("AudioOutput.SoundTiming.started"))
        .def_readonly("refused", &Timing::refused, doc("AudioOutput.SoundTiming.refused"));
    // Opening a device waits for its stream to run.
    output.def(py::init<>(), doc("AudioOutput.AudioOutput"), release)
        .def(py::init<const AudioOutput::Settings&>(), py::arg("settings"), release)
        .def("play", py::overload_cast<const Sound&>(&AudioOutput::play), py::arg("sound"),
             doc("AudioOutput.play"))
        .def("play", py::overload_cast<const Sound&, Clock>(&AudioOutput::play), py::arg("sound"),
             py::arg("when"))
        .def("stop", &AudioOutput::stop, py::arg("id"), doc("AudioOutput.stop"), chain)
        .def("stopAll", &AudioOutput::stopAll, doc("AudioOutput.stopAll"), chain)
        .def("isPlaying", &AudioOutput::isPlaying, py::arg("id"), doc("AudioOutput.isPlaying"))
        .def("timing", &AudioOutput::timing, py::arg("id"), doc("AudioOutput.timing"))
        .def("timingReport", &AudioOutput::timingReport, doc("AudioOutput.timingReport"))
        .def("rate", &AudioOutput::rate, doc("AudioOutput.rate"))
        .def("channels", &AudioOutput::channels, doc("AudioOutput.channels"))
        .def("outputLatencyMs", &AudioOutput::outputLatencyMs, doc("AudioOutput.outputLatencyMs"))
        .def("deviceName", &AudioOutput::deviceName, doc("AudioOutput.deviceName"))
        .def("prepare", &AudioOutput::prepare, py::arg("sound"), doc("AudioOutput.prepare"))
        .def("startPrepared", &AudioOutput::startPrepared, py::arg("id"), py::arg("when"),
             doc("AudioOutput.startPrepared"))
        .def("expectedOnset", &AudioOutput::expectedOnset, py::arg("id"), doc("AudioOutput.expectedOnset"));

    auto canvas = py::reinterpret_borrow<py::class_<Canvas, Drawable>>(m.attr("Canvas"));
    canvas
        .def(
            "setAudioOutput",
            [](Canvas& c, AudioOutput& audio) -> Canvas& {
                c.setAudioOutput(audio);
                holdForCanvas(c, py::str("audioOutput"),
                              py::cast(&audio, py::return_value_policy::reference));
                return c;
            },
            py::arg("output"),
            "Plays the sounds of playAtFlip on output, which the canvas keeps alive until another output "
            "replaces it.",
            chain)
        .def("playAtFlip", &Canvas::playAtFlip, py::arg("sound"), doc("Canvas.playAtFlip"));
}

} // namespace StimoraPython
