// Corpus replay for the PNG loader: valid seeds made by the framework (and by ImageMagick,
// where installed) are cut, bit-flipped, given wrong chunk lengths, impossible headers and
// scrambled image data, deterministically, and each result is loaded. Every load must either
// succeed with a consistent image or raise the documented "not PNG" Exception and leave the
// image without a bitmap. Run under AddressSanitizer, any read or write outside a buffer fails.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PngTestFiles.h"
#include "base/Exception.h"
#include "figures/Image.h"

using namespace Stimora;
using namespace PngTestFiles;

namespace {

const std::string notPng =
    "class Stimora::IMAGE_FORMATS::PNG_BRIDGE [FILE FORMAT ERROR] The requested file is not PNG.";

/// A small deterministic generator (64-bit LCG), so that every run replays the same corpus.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : state(seed) {}
    std::uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : next() % n; }

private:
    std::uint64_t state;
};

Image seedImage(int layout, int width, int height) {
    Image image(width, height, layout, Image::BYTE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rawPix(x, y,
                         Color(Color::raw, ((x * 37 + y * 11) % 256) / 255.0, ((x * y * 5) % 256) / 255.0,
                               ((255 - x * 3) % 256) / 255.0, ((x + y * 7) % 256) / 255.0));
        }
    }
    return image;
}

std::vector<Bytes> makeSeeds() {
    std::vector<Bytes> seeds;
    const struct {
        int layout, width, height;
    } framework[] = {{Image::GRAY, 1, 1}, {Image::RGB, 13, 7}, {Image::RGBA, 33, 9}, {Image::GRAY, 5, 40}};
    int n = 0;
    for (const auto& f : framework) {
        const std::string path = pathOf("seed" + std::to_string(n++) + ".png");
        seedImage(f.layout, f.width, f.height).save(path);
        seeds.push_back(readFile(path));
    }
    if (run("command -v convert").first == 0) {
        const char* forms[] = {"-depth 8 PNG8",     "-interlace PNG PNG24",
                               "-depth 16 PNG48",   "-type GrayscaleAlpha -depth 8 PNG",
                               "-type Bilevel PNG", "-interlace PNG -depth 16 PNG64"};
        for (const char* form : forms) {
            const std::string path = pathOf("seed" + std::to_string(n++) + ".png");
            const std::string command = "convert -size 11x6 gradient:red-blue -fill 'rgba(0,255,0,0.5)' "
                                        "-draw 'rectangle 2,1 5,4' " +
                                        std::string(form) + ":'" + path + "'";
            if (run(command).first == 0) {
                seeds.push_back(readFile(path));
            }
        }
    }
    return seeds;
}

struct Outcome {
    int loaded = 0;
    int refused = 0;
};

/// Loads one candidate and checks that the result is either a sound image or the documented refusal.
void replay(const Bytes& candidate, const std::string& label, Outcome& outcome) {
    const std::string path = pathOf("candidate.png");
    writeFile(path, candidate);
    Image image;
    try {
        image.load(path);
    } catch (const Exception& e) {
        EXPECT_TRUE(e.text() == notPng || e.text().find("too large") != std::string::npos) << label;
        EXPECT_FALSE(image.hasBitmap()) << label;
        ++outcome.refused;
        return;
    } catch (...) {
        ADD_FAILURE() << label << ": an undocumented exception escaped";
        return;
    }
    ++outcome.loaded;
    ASSERT_TRUE(image.hasBitmap()) << label;
    ASSERT_GT(image.getWidth(), 0) << label;
    ASSERT_GT(image.getHeight(), 0) << label;
    EXPECT_EQ(image.getPrecision(), Image::BYTE) << label;
    EXPECT_GE(image.getBytesPerRow(), image.getWidth() * image.getComponents()) << label;
    // Touch every pixel: a short buffer would show under the sanitizer.
    double sum = 0.0;
    for (int y = 0; y < image.getHeight(); ++y) {
        for (int x = 0; x < image.getWidth(); ++x) {
            sum += image.getPix(x, y).r;
        }
    }
    EXPECT_GE(sum, 0.0);
}

} // namespace

class PngFuzz : public ::testing::Test {
protected:
    static void SetUpTestSuite() { seeds = new std::vector<Bytes>(makeSeeds()); }
    static void TearDownTestSuite() {
        delete seeds;
        seeds = nullptr;
    }
    static std::vector<Bytes>* seeds;
};

std::vector<Bytes>* PngFuzz::seeds = nullptr;

TEST_F(PngFuzz, SeedsLoad) {
    ASSERT_GE(seeds->size(), 4u);
    Outcome outcome;
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        replay((*seeds)[s], "seed " + std::to_string(s), outcome);
    }
    EXPECT_EQ(outcome.loaded, static_cast<int>(seeds->size()));
}

TEST_F(PngFuzz, Truncations) {
    Outcome outcome;
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        const std::size_t step = seed.size() > 256 ? seed.size() / 128 : 1;
        for (std::size_t length = 0; length < seed.size(); length += (length < 64 ? 1 : step)) {
            replay(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(length)),
                   "seed " + std::to_string(s) + " cut at " + std::to_string(length), outcome);
        }
    }
    EXPECT_GT(outcome.refused, 0);
}

TEST_F(PngFuzz, BitFlips) {
    Outcome outcome;
    Lcg random(0x5EED);
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        for (int k = 0; k < 150; ++k) {
            Bytes candidate = seed;
            const std::size_t at = 8 + random.below(seed.size() - 8);
            candidate[at] ^= static_cast<unsigned char>(1u << random.below(8));
            const bool reachDecoder = (k % 2) == 0;
            if (reachDecoder) {
                // Keep the CRC valid so that the flip reaches the header checks or the inflater.
                for (const Chunk& chunk : chunksOf(seed)) {
                    if (at >= chunk.offset + 8 && at < chunk.offset + 8 + chunk.length) {
                        fixCrc(candidate, chunk);
                    }
                }
            }
            replay(candidate, "seed " + std::to_string(s) + " flip at " + std::to_string(at), outcome);
        }
    }
    EXPECT_GT(outcome.refused, 0);
}

TEST_F(PngFuzz, ChunkLengthCorruption) {
    Outcome outcome;
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        for (const Chunk& chunk : chunksOf(seed)) {
            const std::uint32_t lengths[] = {
                0u,          chunk.length - 1u, chunk.length + 1u, chunk.length * 2u + 7u,
                0x7FFFFFFFu, 0x80000000u,       0xFFFFFFFFu};
            for (std::uint32_t length : lengths) {
                Bytes candidate = seed;
                writeBig(candidate, chunk.offset, length);
                replay(candidate,
                       "seed " + std::to_string(s) + " " + chunk.type + " length " + std::to_string(length),
                       outcome);
            }
        }
    }
    EXPECT_GT(outcome.refused, 0);
}

TEST_F(PngFuzz, ImpossibleHeaders) {
    Outcome outcome;
    const std::uint32_t sizes[][2] = {{0, 1},           {1, 0},         {0xFFFFFFFFu, 1}, {1, 0xFFFFFFFFu},
                                      {0x80000000u, 2}, {65536, 65536}, {32769, 1},       {1, 40000},
                                      {4097, 4096},     {1000, 1},      {1, 1000},        {2, 3}};
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        for (const auto& size : sizes) {
            replay(withDimensions(seed, size[0], size[1]),
                   "seed " + std::to_string(s) + " as " + std::to_string(size[0]) + " x " +
                       std::to_string(size[1]),
                   outcome);
        }
        // Bit depth, colour type, compression, filter and interlace bytes: every value a byte can claim
        // for the two that select the row layout, and a few for the rest.
        const std::vector<Chunk> chunks = chunksOf(seed);
        ASSERT_FALSE(chunks.empty());
        const Chunk& header = chunks[0];
        const struct {
            std::size_t field;
            std::vector<int> values;
        } fields[] = {{8, {0, 1, 2, 3, 4, 5, 8, 16, 32, 255}},
                      {9, {0, 1, 2, 3, 4, 5, 6, 7, 255}},
                      {10, {1, 255}},
                      {11, {1, 64}},
                      {12, {0, 1, 2}}};
        for (const auto& f : fields) {
            for (int value : f.values) {
                Bytes candidate = seed;
                candidate[header.offset + 8 + f.field] = static_cast<unsigned char>(value);
                fixCrc(candidate, header);
                replay(candidate,
                       "seed " + std::to_string(s) + " header byte " + std::to_string(f.field) + " = " +
                           std::to_string(value),
                       outcome);
            }
        }
    }
    EXPECT_GT(outcome.refused, 0);
}

TEST_F(PngFuzz, ScrambledImageData) {
    Outcome outcome;
    Lcg random(0xDA7A);
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        for (const Chunk& chunk : chunksOf(seed)) {
            if (chunk.type != "IDAT" && chunk.type != "PLTE" && chunk.type != "tRNS") {
                continue;
            }
            for (int k = 0; k < 40 && chunk.length > 0; ++k) {
                Bytes candidate = seed;
                const int bytes = 1 + static_cast<int>(random.below(8));
                for (int b = 0; b < bytes; ++b) {
                    candidate[chunk.offset + 8 + random.below(chunk.length)] =
                        static_cast<unsigned char>(random.next());
                }
                fixCrc(candidate, chunk);
                replay(candidate, "seed " + std::to_string(s) + " scrambled " + chunk.type, outcome);
            }
        }
    }
    EXPECT_GT(outcome.loaded + outcome.refused, 0);
}

TEST_F(PngFuzz, ChunksDroppedOrRepeated) {
    Outcome outcome;
    for (std::size_t s = 0; s < seeds->size(); ++s) {
        const Bytes& seed = (*seeds)[s];
        const std::vector<Chunk> chunks = chunksOf(seed);
        for (std::size_t c = 0; c < chunks.size(); ++c) {
            const auto begin = seed.begin() + static_cast<std::ptrdiff_t>(chunks[c].offset);
            const auto end = begin + 12 + static_cast<std::ptrdiff_t>(chunks[c].length);
            Bytes dropped(seed.begin(), begin);
            dropped.insert(dropped.end(), end, seed.end());
            replay(dropped, "seed " + std::to_string(s) + " without " + chunks[c].type, outcome);
            Bytes repeated(seed.begin(), end);
            repeated.insert(repeated.end(), begin, seed.end());
            replay(repeated, "seed " + std::to_string(s) + " with " + chunks[c].type + " twice", outcome);
        }
    }
    EXPECT_GT(outcome.refused, 0);
}
