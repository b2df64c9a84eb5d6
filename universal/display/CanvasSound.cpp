#include "display/CanvasSound.h"

#include <typeinfo>

#include "base/Exception.h"
#include "devices/AudioOutput.h"
#include "display/Canvas.h"
#include "display/FrameLog.h"

namespace Stimora {

CanvasSound::CanvasSound(AudioOutput& output) : audio(output) {
    // Room for the sounds of a frame, so that the flip itself allocates nothing.
    waiting.reserve(16);
    started.reserve(16);
}

long long CanvasSound::add(const Sound& sound) {
    const long long id = audio.prepare(sound);
    waiting.push_back(id);
    if (started.capacity() < waiting.size())
        started.reserve(waiting.capacity());
    return id;
}

void CanvasSound::beforeSwap(Clock predictedOnset) noexcept {
    predicted = predictedOnset;
    started.clear();
    for (long long id : waiting) {
        audio.startPrepared(id, predictedOnset);
        started.push_back(id);
    }
    waiting.clear();
}

void CanvasSound::afterSwap(Clock, FrameLog& log) noexcept {
    for (long long id : started)
        log.mark("sound", id, predicted, audio.expectedOnset(id));
    started.clear();
}

// ---------------------------------------------------------------- Canvas

Canvas& Canvas::setAudioOutput(AudioOutput& output) {
    if (flipSound)
        removeFlipListener(*flipSound);
    flipSound = std::make_unique<CanvasSound>(output);
    return addFlipListener(*flipSound);
}

long long Canvas::playAtFlip(const Sound& sound) {
    if (!flipSound)
        throw Exception(typeid(Canvas), "ARGUMENT ERROR",
                        "Canvas.playAtFlip: no audio output; give the canvas one with setAudioOutput.");
    return flipSound->add(sound);
}

} // namespace Stimora
