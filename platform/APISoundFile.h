#pragma once

// Reading sound files through libsndfile.

#include <string>
#include <vector>

namespace Stimora {

/// A sound file read whole into memory.
struct APISoundFile {
    std::vector<float> samples; ///< interleaved, full scale -1..1
    int channels = 0;           ///< channels of the file
    int rate = 0;               ///< samples per second of the file

    /// Reads path (any format libsndfile knows: WAV, FLAC, OGG...). Raises Exception
    /// (FILE ERROR) naming the path and libsndfile's reason when it cannot.
    static APISoundFile read(const std::string& path);
};

} // namespace Stimora
