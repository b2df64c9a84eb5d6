#include "figures/PNG_BRIDGE.h"

#include "base/Exception.h"
#include "figures/Image.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <string>

namespace Stimora {
namespace IMAGE_FORMATS {

namespace {

const char* const notPng = "The requested file is not PNG.";
const char* const notWritable = "The requested data is not able to be put as a PNG file.";

/// What the file header says once the conversions to 8-bit grey, RGB or RGBA are set.
struct ReadLayout {
    png_uint_32 width;
    png_uint_32 height;
    int channels;
    int bitDepth;
    std::size_t rowBytes;
    bool tooLarge; ///< over maxSide or maxPixels: only width and height are read
};

bool tooLarge(png_uint_32 width, png_uint_32 height) {
    return width > PNG_BRIDGE::maxSide || height > PNG_BRIDGE::maxSide ||
           static_cast<unsigned long long>(width) * height > PNG_BRIDGE::maxPixels;
}

// The two functions below arm libpng's error return with setjmp. libpng leaves them by
// longjmp, which skips destructors, so nothing with a destructor may live in their frames;
// every failure is turned into a false result and the caller raises the exception.

bool readHeader(png_structp png, png_infop info, std::FILE* file, ReadLayout* layout) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_sig_bytes(png, 4);
    // The size is judged below, so that an oversized file is named as such.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    // A hostile length on a text or other ancillary chunk must not make libpng allocate gigabytes.
    png_set_chunk_malloc_max(png, PNG_BRIDGE::maxChunkBytes);
    png_set_chunk_cache_max(png, 1000);
    // Only the pixels matter here: text, profiles and the like are skipped unread, so that their
    // (possibly hostile) lengths never size a buffer.
    static const png_byte ignored[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0bKGD\0cHRM\0gAMA\0"
                                      "hIST\0pHYs\0sBIT\0sCAL\0sRGB\0oFFs\0pCAL\0";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, ignored, static_cast<int>(sizeof(ignored) / 5));
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    layout->width = width;
    layout->height = height;
    layout->tooLarge = tooLarge(width, height);
    if (layout->tooLarge) {
        return true; // before libpng sizes its row buffers
    }

    // Bring every form to 8 bits per component. The colour type alone picks the layout: grey
    // reads as GRAY and RGB as RGB (a tRNS colour key on them is not applied), every other
    // type as RGBA.
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
            png_set_tRNS_to_alpha(png);
        } else {
            png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER); // palettes read as RGBA
        }
    } else {
        if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
            png_set_expand_gray_1_2_4_to_8(png);
        }
        if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png); // there is no grey-with-alpha layout
        }
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (interlace != PNG_INTERLACE_NONE) {
        png_set_interlace_handling(png);
    }
    png_read_update_info(png, info);

    layout->width = png_get_image_width(png, info);
    layout->height = png_get_image_height(png, info);
    layout->channels = png_get_channels(png, info);
    layout->bitDepth = png_get_bit_depth(png, info);
    layout->rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(png_structp png, png_infop endInfo, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    png_read_end(png, endInfo);
    return true;
}

bool writeAll(png_structp png, png_infop info, std::FILE* file, png_uint_32 width, png_uint_32 height,
              int colorType, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_flush(png, 0);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

} // namespace

PNG_BRIDGE::PNG_BRIDGE() = default;

PNG_BRIDGE::~PNG_BRIDGE() {
    releaseStructures();
    closeFile();
}

void PNG_BRIDGE::openFile(const char* path, const char* mode) {
    file = std::fopen(path, mode);
    if (file == nullptr) {
        throw Exception(typeid(PNG_BRIDGE), "FILE ACCESS ERROR", "Failed to open the requested file.");
    }
    fileOpen = true;
}

void PNG_BRIDGE::closeFile() {
    if (fileOpen) {
        std::fclose(file);
    }
    file = nullptr;
    fileOpen = false;
}

void PNG_BRIDGE::releaseStructures() {
    if (png != nullptr) {
        png_structp p = png;
        png_infop i = info;
        if (writing) {
            png_destroy_write_struct(&p, i != nullptr ? &i : nullptr);
        } else {
            png_infop e = endInfo;
            png_destroy_read_struct(&p, i != nullptr ? &i : nullptr, e != nullptr ? &e : nullptr);
        }
    }
    png = nullptr;
    info = nullptr;
    endInfo = nullptr;
    rows.clear();
    rows.shrink_to_fit();
}

void PNG_BRIDGE::failRead(const char* message) {
    releaseStructures();
    closeFile();
    // A half-read image keeps nothing: no bitmap is better than a wrong one.
    if (target != nullptr) {
        target->release();
        target = nullptr;
    }
    pixels = nullptr;
    throw Exception(typeid(PNG_BRIDGE), "FILE FORMAT ERROR", message != nullptr ? message : notPng);
}

void PNG_BRIDGE::failWrite() {
    releaseStructures();
    closeFile();
    pixels = nullptr;
    throw Exception(typeid(PNG_BRIDGE), "FILE FORMAT ERROR", notWritable);
}

void PNG_BRIDGE::load(const char* path, Image& image) {
    if (!fileOpen) {
        openFile(path, "rb");
    }

    png_byte signature[4] = {0, 0, 0, 0};
    if (std::fread(signature, 1, 4, file) != 4 || png_sig_cmp(signature, 0, 4) != 0) {
        failRead();
    }

    writing = false;
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        failRead();
    }
    info = png_create_info_struct(png);
    if (info == nullptr) {
        failRead();
    }
    endInfo = png_create_info_struct(png);
    if (endInfo == nullptr) {
        failRead();
    }

    ReadLayout layout{};
    if (!readHeader(png, info, file, &layout)) {
        failRead();
    }
    if (layout.tooLarge) {
        const std::string message = "The requested file is too large: " + std::to_string(layout.width) +
                                    " x " + std::to_string(layout.height) + " pixels, over " +
                                    std::to_string(maxSide) + " a side or " + std::to_string(maxPixels) +
                                    " in all.";
        failRead(message.c_str());
    }
    if (layout.width == 0 || layout.height == 0 || layout.bitDepth != 8 ||
        (layout.channels != 1 && layout.channels != 3 && layout.channels != 4) ||
        layout.rowBytes != static_cast<std::size_t>(layout.width) * layout.channels) {
        failRead();
    }

    const int format = layout.channels == 1 ? Image::GRAY : layout.channels == 3 ? Image::RGB : Image::RGBA;
    target = &image;
    try {
        image.release();
        image.set(static_cast<int>(layout.width), static_cast<int>(layout.height), format, Image::BYTE);
    } catch (...) {
        releaseStructures();
        closeFile();
        target = nullptr;
        image.release();
        throw;
    }
    pixels = static_cast<unsigned char*>(image.getBuffer());
    rowBytes = image.getBytesPerRow();
    pixelFormat = image.getLayout();
    componentType = image.getPrecision();
    if (static_cast<std::size_t>(rowBytes) < layout.rowBytes) {
        failRead(); // libpng would write past the end of each row
    }

    // PNG rows run top-down, the image's rows bottom-up.
    const int height = static_cast<int>(layout.height);
    rows.resize(static_cast<std::size_t>(height));
    for (int i = 0; i < height; ++i) {
        rows[static_cast<std::size_t>(i)] = pixels + static_cast<std::size_t>(height - 1 - i) * rowBytes;
    }
    if (!readRows(png, endInfo, rows.data())) {
        failRead();
    }
    releaseStructures();
    target = nullptr;
    pixels = nullptr;
}

void PNG_BRIDGE::save(const char* path, Image& image) {
    openFile(path, "wb");

    writing = true;
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        failWrite();
    }
    info = png_create_info_struct(png);
    if (info == nullptr) {
        failWrite();
    }

    if (!image.hasBitmap()) {
        failWrite();
    }
    pixels = static_cast<unsigned char*>(image.getBuffer());
    rowBytes = image.getBytesPerRow();
    pixelFormat = image.getLayout();
    componentType = image.getPrecision();
    const int width = image.getWidth();
    const int height = image.getHeight();
    if (componentType == Image::FLOAT) {
        failWrite();
    }

    const int colorType = pixelFormat == Image::GRAY  ? PNG_COLOR_TYPE_GRAY
                          : pixelFormat == Image::RGB ? PNG_COLOR_TYPE_RGB
                                                      : PNG_COLOR_TYPE_RGB_ALPHA;
    rows.resize(static_cast<std::size_t>(height));
    for (int i = 0; i < height; ++i) {
        rows[static_cast<std::size_t>(i)] = pixels + static_cast<std::size_t>(height - 1 - i) * rowBytes;
    }
    if (!writeAll(png, info, file, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                  colorType, rows.data())) {
        failWrite();
    }
    releaseStructures();
    pixels = nullptr;
    // Everything must reach the disk before the caller reads the file back.
    if (std::fflush(file) != 0) {
        failWrite();
    }
}

} // namespace IMAGE_FORMATS
} // namespace Stimora
