#pragma once

#include "file/IMAGE_FORMAT.h"

#include <cstdio>
#include <vector>

// libpng's structures, kept opaque so that only the bridge's source sees png.h.
struct png_struct_def;
struct png_info_def;

namespace Stimora {
namespace IMAGE_FORMATS {

/// Reads and writes Images as PNG files through libpng. Any PNG is read (palette, grey with
/// alpha, 1 to 16 bits, interlaced) and becomes an 8-bit BYTE image, GRAY for grey files, RGB
/// for RGB files (a tRNS colour key is not applied), RGBA for the rest, whose top file row is
/// the last row of the image buffer; BYTE images are written as 8-bit grey, RGB or RGBA.
/// Failures raise an Exception attributed to PNG_BRIDGE.
class PNG_BRIDGE : public IMAGE_FORMAT {
public:
    /// No file open.
    PNG_BRIDGE();
    /// Closes the file if one is still open and frees any libpng structure.
    ~PNG_BRIDGE() override;
    PNG_BRIDGE(const PNG_BRIDGE&) = delete;
    PNG_BRIDGE& operator=(const PNG_BRIDGE&) = delete;

    /// Loads the PNG file at path into image ("FILE ACCESS ERROR" when it cannot be opened,
    /// "FILE FORMAT ERROR" when it is not a readable PNG or larger than maxSide or maxPixels;
    /// the image then has no bitmap).
    void load(const char* path, Image& image) override;
    /// Saves a BYTE image at path ("FILE FORMAT ERROR" for a FLOAT image or a libpng failure).
    void save(const char* path, Image& image) override;

    /// Largest width or height accepted from a file, in pixels.
    static constexpr unsigned maxSide = 1u << 15;
    /// Largest pixel count (width x height) accepted from a file.
    static constexpr unsigned long long maxPixels = 1ull << 28;
    /// Largest ancillary chunk (text, profile, ...) libpng may allocate while reading, in bytes.
    static constexpr unsigned long maxChunkBytes = 8ul << 20;

private:
    void openFile(const char* path, const char* mode);
    void closeFile();
    void releaseStructures();
    /// Releases everything and raises "FILE FORMAT ERROR" with message, by default "not PNG".
    [[noreturn]] void failRead(const char* message = nullptr);
    [[noreturn]] void failWrite();

    unsigned char* pixels = nullptr; ///< first row of the image buffer in memory
    int rowBytes = 0;                ///< image row length in bytes (padded to 4)
    int pixelFormat = 0;             ///< Image::GRAY, RGB or RGBA
    int componentType = 0;           ///< Image::BYTE or FLOAT
    std::FILE* file = nullptr;
    bool fileOpen = false;
    png_struct_def* png = nullptr;
    png_info_def* info = nullptr;
    png_info_def* endInfo = nullptr;
    bool writing = false;
    std::vector<unsigned char*> rows; ///< bottom-up row pointers handed to libpng
    Image* target = nullptr;          ///< image being loaded, released if the load fails
};

} // namespace IMAGE_FORMATS
} // namespace Stimora
