#pragma once

#include <cstdint>

namespace Stimora {

class Image;

/// The platform half of an Image: its texture copy in video memory. The texture is a
/// power-of-two square-or-not of at least 2 x 2 texels holding the picture in its top-left
/// corner (user coordinates). The texture belongs to the set of objects the live canvases
/// share (platformObjectSet) and ends with it.
class APIImageProperties {
public:
    /// Belongs to image (not owned); no texture yet.
    explicit APIImageProperties(Image& image);
    /// Deletes the texture where it still exists.
    virtual ~APIImageProperties();
    APIImageProperties(const APIImageProperties&) = delete;
    APIImageProperties& operator=(const APIImageProperties&) = delete;

    /// Uploads texels of textureWidth x textureHeight pixels, bottom-up rows padded to 4 bytes,
    /// of components 1, 3 or 4 in bytes or floats. Makes the texture (nearest filtering) the
    /// first time (or once its set has ended), replaces its contents afterwards. Returns false
    /// while no canvas exists.
    bool upload(const void* texels, int textureWidth, int textureHeight, int components, bool floats);
    /// Draws the texture once into auxiliary buffer 1 over the image's area, given by its
    /// inclusive pixel edges (where the context has one), so that the driver has it resident
    /// before the first frame that needs it.
    void warmUp(double left, double top, double right, double bottom);
    /// Deletes the texture (where it still exists).
    void deleteTexture();
    /// Whether the texture can be drawn: made, and a canvas of its set is still open.
    bool live() const;
    /// Whether an OpenGL context is current on this thread.
    static bool contextCurrent();

    Image& image;             ///< the image this half belongs to
    unsigned textureName = 0; ///< OpenGL texture name; 0 while none exists
    int textureWidth = 0;     ///< texels, a power of two
    int textureHeight = 0;    ///< texels, a power of two

private:
    std::uint64_t objectSet = 0; ///< the set of objects the texture was made in
};

} // namespace Stimora
