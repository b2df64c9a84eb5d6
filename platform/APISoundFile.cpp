#include "APISoundFile.h"

#include <memory>
#include <sndfile.h>
#include <typeinfo>

#include "base/Exception.h"

namespace Stimora {

APISoundFile APISoundFile::read(const std::string& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
    if (!file)
        throw Exception(typeid(APISoundFile), "FILE ERROR",
                        "Cannot read the sound file \"" + path + "\": " + sf_strerror(nullptr));
    APISoundFile sound;
    sound.channels = info.channels;
    sound.rate = info.samplerate;
    sound.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file.get(), sound.samples.data(), info.frames);
    if (got != info.frames)
        throw Exception(typeid(APISoundFile), "FILE ERROR",
                        "The sound file \"" + path + "\" ends early: " + sf_strerror(file.get()));
    return sound;
}

} // namespace Stimora
