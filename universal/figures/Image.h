#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "display/Color.h"
#include "figures/Figure.h"
#include "figures/Rectangle.h"

namespace Stimora {

class APIImageProperties;

class Matrix;

/// An off-screen raster held in main memory, placed on the canvas by its area rectangle so
/// that it can be drawn as a figure. Pixels are GRAY, RGB or RGBA, in BYTE (0..255) or FLOAT
/// (0..1) components; rows are stored bottom-up and padded to 4 bytes, the order OpenGL
/// transfers them in. User coordinates have y = 0 at the top row. The image owns its pixels,
/// its platform half and its texture.
class Image : public virtual Figure {
public:
    ///@{
    /// Pixel layouts (component counts 1, 3, 4).
    static constexpr int GRAY = 0;
    static constexpr int RGB = 1;
    static constexpr int RGBA = 2;
    ///@}
    ///@{
    /// Component precisions: 1 byte (0..255) or a 4-byte float (0..1).
    static constexpr int BYTE = 0;
    static constexpr int FLOAT = 1;
    ///@}

    /// No bitmap.
    Image();
    /// A width x height bitmap (pixels) cleared to opaque black.
    Image(int width, int height, int layout, int precision);
    /// A width x height RGB bitmap of the given precision.
    Image(int width, int height, int precision);
    /// A bitmap the size of a rectangle.
    Image(const Rectangle& size, int layout, int precision);
    /// An RGB bitmap the size of a rectangle.
    Image(const Rectangle& size, int precision);
    /// Loads a PNG file (path tokens expanded).
    explicit Image(const std::string& path);
    /// Loads a PNG file (path tokens expanded); a null path counts as an empty one.
    explicit Image(const char* path);
    /// A deep copy of the pixels and placement; the copy is not cached as a texture.
    Image(const Image& other);
    /// Replaces this image by a deep copy of other's pixels and placement; the old texture is
    /// deleted and the copy is not cached.
    Image& operator=(const Image& other);
    /// Releases the pixels and the texture.
    ~Image() override;

    /// Allocates a width x height bitmap cleared to opaque black. Refused with an Exception
    /// when a bitmap exists ("Memory Error") or an argument is out of range ("FORMAT ERROR").
    Image& set(int width, int height, int layout, int precision);
    /// The same with layout RGB.
    Image& set(int width, int height, int precision);
    /// Deletes the texture, the platform half and the pixels; the image has no bitmap then.
    void release();
    /// Whether pixels are allocated.
    bool hasBitmap() const { return bitmap; }
    /// The raw pixel buffer (unsigned char or float by precision), first stored row first.
    /// Raises "Memory Error" without a bitmap.
    void* getBuffer();
    /// The raw pixel buffer, to read; raises "Memory Error" without a bitmap.
    const void* getBuffer() const;
    /// True while a texture copy exists in video memory.
    bool isCached() const { return cached; }

    /// GRAY, RGB or RGBA (RGB without a bitmap).
    int getLayout() const { return layout; }
    /// BYTE or FLOAT (BYTE without a bitmap).
    int getPrecision() const { return precision; }
    /// Components per pixel: 1, 3 or 4 (0 without a bitmap).
    int getComponents() const { return components; }
    /// Components x 1 (BYTE) or x 4 (FLOAT) bytes (0 without a bitmap).
    int getBytesPerPixel() const { return bytesPerPixel; }
    /// Row length in bytes, padded to a multiple of 4.
    int getBytesPerRow() const { return bytesPerRow; }
    /// Size of the buffer in bytes: getBytesPerRow() x height.
    std::size_t getTotalBytes() const { return totalBytes; }
    /// Row length in components (bytes or floats), padding included.
    int getElementsPerRow() const { return elementsPerRow; }
    /// Components in the buffer, padding included: getElementsPerRow() x height.
    std::size_t getTotalElements() const { return totalElements; }
    /// (0, 0, width - 1, height - 1): clips drawing into the image.
    const Rectangle& getRect() const { return ownRect; }
    /// The placement on the canvas; its size is the size at which the texture is drawn.
    const Rectangle& getArea() const { return area; }
    /// The placement on the canvas, to move or resize.
    Rectangle& getArea() { return area; }
    /// The platform half (texture name and size), null without a bitmap.
    const APIImageProperties* getProperties() const { return api.get(); }

    // ---- pixels (x, y in pixels, y = 0 at the top; out of range raises
    //      "Out Of Bound Exception" / "Specified coordinate is out of bound.")
    /// Blends color in by its alpha (GRAY ignores alpha).
    Image& pix(int x, int y, const Color& color);
    /// Stores color as it is, alpha included.
    Image& rawPix(int x, int y, const Color& color);
    /// Stores an alpha value in 0..1; ignored (after the bounds check) unless RGBA.
    Image& alpha(int x, int y, double value);
    /// The stored colour (no calibration applied); alpha 1 unless RGBA.
    Color getPix(int x, int y) const;
    /// rawPix on every pixel.
    Image& clear(const Color& color);
    /// A line drawn with pix; points outside the image are skipped, at no cost however far away
    /// an end lies (an infinite end counts as a distant one; a NaN draws nothing).
    Image& line(double x1, double y1, double x2, double y2, const Color& color);
    /// The same line from p1 to p2 (z ignored).
    Image& line(const Point& p1, const Point& p2, const Color& color);
    /// A filled rectangle drawn with pix, clipped to the image.
    Image& rect(const Rectangle& rectangle, const Color& color);
    /// A filled oval inscribed in a rectangle, drawn with pix, clipped to the image.
    Image& oval(const Rectangle& rectangle, const Color& color);

    // ---- matrices (element (i, j) is pixel column j - 1 of row i - 1)
    /// A grey image from a matrix of levels in 0..1.
    Image& from(const Matrix& gray);
    /// An RGB image from three equally sized matrices.
    Image& from(const Matrix& r, const Matrix& g, const Matrix& b);
    /// An RGBA image from four equally sized matrices; alpha blends into the previous pixels.
    Image& from(const Matrix& r, const Matrix& g, const Matrix& b, const Matrix& a);
    /// Grey levels of a GRAY image into a matrix (allocated to height x width if empty).
    Image& to(Matrix& gray);
    /// Components of an RGB image into three matrices.
    Image& to(Matrix& r, Matrix& g, Matrix& b);
    /// Components of an RGBA image into four matrices.
    Image& to(Matrix& r, Matrix& g, Matrix& b, Matrix& a);
    /// Copies (blending) the source area of this image into the target area of another image;
    /// both are clipped first and must then agree in size (else a new Exception is thrown).
    Image& to(const Rectangle& source, Image& target, const Rectangle& targetArea);

    // ---- files (only ".png", exactly; path tokens are expanded)
    /// Replaces the bitmap by the file's pixels; a failed load leaves no bitmap.
    Image& load(const std::string& path);
    /// As load(const std::string&); a null path counts as an empty one.
    Image& load(const char* path);
    /// Writes a BYTE image; in software calibration the requested values are written.
    Image& save(const std::string& path);
    /// As save(const std::string&); a null path counts as an empty one.
    Image& save(const char* path);

    /// On: builds or refreshes the texture copy (needs a current canvas); off: deletes it.
    Image& cache(bool on = true);

    // ---- figure
    /// Draws with a constant opacity (0..1) at the area's place.
    virtual Image& draw(double alpha, Drawable& target = defaultTarget());
    /// Draws with the top-left corner at (x, y).
    virtual Image& draw(double x, double y, Drawable& target = defaultTarget());
    /// Centres the area at (x, y).
    virtual Image& centerAt(double x, double y, double z = 0.0);
    /// Centres the area on another figure's datum.
    virtual Image& centerAt(const Figure& figure);
    /// Centres the area on a target's centre.
    virtual Image& centerAt(Drawable& target);
    /// Puts the area's top-left corner at (x, y).
    virtual Image& setDatum(double x, double y, double z = 0.0);
    /// Moves the area by (dx, dy).
    virtual Image& shift(double dx, double dy, double dz = 0.0);
    /// Bitmap width in pixels (0 without a bitmap).
    virtual int getWidth() const;
    /// Bitmap height in pixels (0 without a bitmap).
    virtual int getHeight() const;
    /// width / 2 - 0.5 with integer halving: the centre in the image's own pixels.
    virtual double getCenterX() const;
    /// height / 2 - 0.5 with integer halving.
    virtual double getCenterY() const;
    /// (getCenterX(), getCenterY(), 0), in the image's own pixels.
    virtual Point getCenter() const;

    /// The centre of the area.
    Point getDatum() const override;
    /// Puts the area's top-left corner at p.
    Image& setDatum(const Point& p) override;
    /// Centres the area on p.
    Image& centerAt(const Point& p) override;
    /// Draws at the area's top-left corner.
    Image& draw(Drawable& target = defaultTarget()) override;

private:
    using PixelWrite = void (*)(Image&, std::size_t offset, const Color& color);
    using AlphaWrite = void (*)(Image&, std::size_t offset, double value);
    using PixelRead = Color (*)(const Image&, std::size_t offset);
    template <class T, int N> friend struct ImagePixels;

    std::size_t offsetOf(int x, int y) const;
    void checkBounds(int x, int y) const;
    void choosePixelOperations();
    void copyFrom(const Image& other);
    void checkExtension(const std::string& path) const;

    std::unique_ptr<APIImageProperties> api;
    int width = 0;
    int height = 0;
    int layout = RGB;
    int precision = BYTE;
    Rectangle ownRect;
    Rectangle area;
    bool bitmap = false;
    bool cached = false;
    std::vector<unsigned char> bytes;
    std::vector<float> floats;
    int components = 0;
    int bytesPerPixel = 0;
    int bytesPerRow = 0;
    std::size_t totalBytes = 0;
    int elementsPerRow = 0;
    std::size_t totalElements = 0;
    PixelWrite blendOp = nullptr;
    PixelWrite rawOp = nullptr;
    AlphaWrite alphaOp = nullptr;
    PixelRead readOp = nullptr;
};

} // namespace Stimora
