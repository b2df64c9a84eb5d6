#include "display/RasterGlyphs.h"

#include "APIImageProperties.h"
#include "display/Color.h"
#include "figures/Image.h"

namespace Stimora {

namespace {

// Advance widths by character code: control codes 5 (tab 15), narrow punctuation and
// I, J, i, j, l, t 5, c, f, r 6, M, W, m, w 9, everything else 7.
constexpr std::array<unsigned char, RasterGlyphs::count> makeAdvances() {
    std::array<unsigned char, RasterGlyphs::count> a{};
    for (int c = 0; c < RasterGlyphs::count; ++c)
        a[c] = 7;
    for (int c = 0; c < 32; ++c)
        a[c] = 5;
    a[9] = 15;
    for (char c : "!'(),-./:;<=>IJ[\\]^_`ijlt{|}")
        if (c != 0)
            a[static_cast<unsigned char>(c)] = 5;
    for (char c : "cfr")
        if (c != 0)
            a[static_cast<unsigned char>(c)] = 6;
    for (char c : "MWmw")
        if (c != 0)
            a[static_cast<unsigned char>(c)] = 9;
    a[127] = 5;
    return a;
}

constexpr std::array<unsigned char, RasterGlyphs::count> advances = makeAdvances();

// The glyphs as a type sheet: each band names its characters and gives the 7 rows,
// top first; a row holds one cell per character, separated by one blank. A cell is
// (advance - 2) pixels wide, so every glyph image ends in a blank column. Capitals and
// digits use all 7 rows; lower case stands on the bottom row from row 2, the bowls of g, p,
// q and y squeezed into rows 2 to 4 to make room for their tails.
struct Band {
    const char* codes;
    const char* rows[RasterGlyphs::rows];
};

// clang-format off
constexpr Band sheet[] = {
    {"0123456789",
     {".###. ..#.. .###. ##### ...#. ##### ..##. ##### .###. .###.",
      "#...# .##.. #...# ...#. ..##. #.... .#... ....# #...# #...#",
      "#..## ..#.. ....# ..#.. .#.#. ####. #.... ...#. #...# #...#",
      "#.#.# ..#.. ...#. ...#. #..#. ....# ####. ..#.. .###. .####",
      "##..# ..#.. ..#.. ....# ##### ....# #...# .#... #...# ....#",
      "#...# ..#.. .#... #...# ...#. #...# #...# .#... #...# ...#.",
      ".###. .###. ##### .###. ...#. .###. .###. .#... .###. .##.."}},
    {"ABCDEFGH",
     {".###. ####. .###. ####. ##### ##### .###. #...#",
      "#...# #...# #...# #...# #.... #.... #...# #...#",
      "#...# #...# #.... #...# #.... #.... #.... #...#",
      "##### ####. #.... #...# ####. ####. #.### #####",
      "#...# #...# #.... #...# #.... #.... #...# #...#",
      "#...# #...# #...# #...# #.... #.... #...# #...#",
      "#...# ####. .###. ####. ##### #.... .#### #...#"}},
    {"IJKLM",
     {"### ..# #...# #.... #.....#",
      ".#. ..# #..#. #.... ##...##",
      ".#. ..# #.#.. #.... #.#.#.#",
      ".#. ..# ##... #.... #..#..#",
      ".#. ..# #.#.. #.... #.....#",
      ".#. #.# #..#. #.... #.....#",
      "### .#. #...# ##### #.....#"}},
    {"NOPQRSTU",
     {"#...# .###. ####. .###. ####. .#### ##### #...#",
      "#...# #...# #...# #...# #...# #.... ..#.. #...#",
      "##..# #...# #...# #...# #...# #.... ..#.. #...#",
      "#.#.# #...# ####. #...# ####. .###. ..#.. #...#",
      "#..## #...# #.... #.#.# #.#.. ....# ..#.. #...#",
      "#...# #...# #.... #..#. #..#. ....# ..#.. #...#",
      "#...# .###. #.... .##.# #...# ####. ..#.. .###."}},
    {"VWXYZ",
     {"#...# #.....# #...# #...# #####",
      "#...# #.....# #...# #...# ....#",
      "#...# #.....# .#.#. .#.#. ...#.",
      "#...# #..#..# ..#.. ..#.. ..#..",
      "#...# #.#.#.# .#.#. ..#.. .#...",
      ".#.#. ##...## #...# ..#.. #....",
      "..#.. #.....# #...# ..#.. #####"}},
    {"abcdefgh",
     {"..... #.... .... ....# ..... ..## ..... #....",
      "..... #.... .... ....# ..... .#.. ..... #....",
      ".###. #.##. .### .##.# .###. #### .#### #.##.",
      "....# ##..# #... #..## #...# .#.. #...# ##..#",
      ".#### #...# #... #...# ##### .#.. .#### #...#",
      "#...# #...# #... #...# #.... .#.. ....# #...#",
      ".#### ####. .### .#### .###. .#.. .###. #...#"}},
    {"ijklmnop",
     {".#. ..# #.... ##. ....... ..... ..... .....",
      "... ... #.... .#. ....... ..... ..... .....",
      "##. .## #..#. .#. ###.##. #.##. .###. ####.",
      ".#. ..# #.#.. .#. #..#..# ##..# #...# #...#",
      ".#. ..# ##... .#. #..#..# #...# #...# ####.",
      ".#. #.# #.#.. .#. #..#..# #...# #...# #....",
      "### .#. #..#. ### #..#..# #...# .###. #...."}},
    {"qrstuvwx",
     {"..... .... ..... .#. ..... ..... ....... .....",
      "..... .... ..... .#. ..... ..... ....... .....",
      ".#### #.## .#### ### #...# #...# #.....# #...#",
      "#...# ##.. #.... .#. #...# #...# #.....# .#.#.",
      ".#### #... .###. .#. #...# #...# #..#..# ..#..",
      "....# #... ....# .#. #..## .#.#. #.#.#.# .#.#.",
      "....# #... ####. ..# .##.# ..#.. .#...#. #...#"}},
    {"yz~?@",
     {"..... ..... ..... .###. .###.",
      "..... ..... ..... #...# #...#",
      "#...# ##### .#... ....# #.###",
      "#...# ...#. #.#.# ...#. #.#.#",
      ".#### ..#.. ...#. ..#.. #.###",
      "....# .#... ..... ..... #....",
      ".###. ##### ..... ..#.. .####"}},
    {"\"#$%&*+ ",
     {".#.#. .#.#. ..#.. ##... .##.. ..... ..... .....",
      ".#.#. .#.#. .#### ##..# #..#. ..#.. ..#.. .....",
      "..... ##### #.#.. ...#. #.#.. #.#.# ..#.. .....",
      "..... .#.#. .###. ..#.. .#... .###. ##### .....",
      "..... ##### ..#.# .#... #.#.# #.#.# ..#.. .....",
      "..... .#.#. ####. #..## #..#. ..#.. ..#.. .....",
      "..... .#.#. ..#.. ...## .##.# ..... ..... ....."}},
    {"!'(),-./:;<=>",
     {".#. .#. ..# #.. ... ... ... ..# ... ... ... ... ...",
      ".#. .#. .#. .#. ... ... ... ..# ##. ##. ..# ... #..",
      ".#. #.. #.. ..# ... ... ... .#. ##. ##. .#. ### .#.",
      ".#. ... #.. ..# ... ### ... .#. ... ... #.. ... ..#",
      ".#. ... #.. ..# ##. ... ... .#. ##. ##. .#. ### .#.",
      "... ... .#. .#. .#. ... ##. #.. ##. .#. ..# ... #..",
      ".#. ... ..# #.. #.. ... ##. #.. ... #.. ... ... ..."}},
    {"[\\]^_`{|}",
     {"### #.. ### .#. ... #.. ..# .#. #..",
      "#.. #.. ..# #.# ... .#. .#. .#. .#.",
      "#.. .#. ..# ... ... ... .#. .#. .#.",
      "#.. .#. ..# ... ... ... #.. .#. ..#",
      "#.. .#. ..# ... ... ... .#. .#. .#.",
      "#.. ..# ..# ... ... ... .#. .#. .#.",
      "### ..# ### ... ### ... ..# .#. #.."}},
};
// clang-format on

// Reads the sheet into 7 bytes per code; a malformed cell stops the compilation.
constexpr std::array<RasterGlyphs::Bitmap, RasterGlyphs::count> readSheet() {
    std::array<RasterGlyphs::Bitmap, RasterGlyphs::count> out{};
    for (const Band& band : sheet) {
        for (int r = 0; r < RasterGlyphs::rows; ++r) {
            const char* p = band.rows[r];
            for (const char* c = band.codes; *c != 0; ++c) {
                const int code = static_cast<unsigned char>(*c);
                const int cells = advances[code] - 2;
                unsigned char bits = 0;
                for (int x = 0; x < cells; ++x, ++p) {
                    if (*p == '#')
                        bits = static_cast<unsigned char>(bits | (0x80 >> x));
                    else if (*p != '.')
                        throw "raster glyph cell of the wrong width";
                }
                if (c[1] != 0) {
                    if (*p != ' ')
                        throw "raster glyph cells must be separated by one blank";
                    ++p;
                }
                out[code][r] = bits;
            }
            if (*p != 0)
                throw "raster glyph row longer than its band";
        }
    }
    return out;
}

constexpr std::array<RasterGlyphs::Bitmap, RasterGlyphs::count> bitmaps = readSheet();

constexpr RasterGlyphs::Bitmap emptyBitmap{};

} // namespace

int RasterGlyphs::advance(int code) {
    return code >= 0 && code < count ? advances[code] : 0;
}

const RasterGlyphs::Bitmap& RasterGlyphs::bitmap(int code) {
    return code >= 0 && code < count ? bitmaps[code] : emptyBitmap;
}

bool RasterGlyphs::pixel(int code, int x, int y) {
    if (x < 0 || x >= 8 || y < 0 || y >= rows)
        return false;
    return (bitmap(code)[y] & (0x80 >> x)) != 0;
}

bool RasterGlyphs::blank(int code) {
    for (unsigned char row : bitmap(code))
        if (row != 0)
            return false;
    return true;
}

RasterGlyphs& RasterGlyphs::shared() {
    static RasterGlyphs glyphs;
    return glyphs;
}

RasterGlyphs::RasterGlyphs() = default;

RasterGlyphs::~RasterGlyphs() = default;

void RasterGlyphs::upload() {
    if (!built()) {
        const Color opaqueBlack(Color::raw, 0.0, 0.0, 0.0, 1.0);
        for (int code = 0; code < count; ++code) {
            const int width = advance(code) - 1;
            auto glyph = std::make_unique<Image>(width, rows, Image::RGBA, Image::BYTE);
            glyph->clear(opaqueBlack);
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < width; ++x)
                    glyph->alpha(x, y, pixel(code, x, y) ? 1.0 : 0.0);
            images[code] = std::move(glyph);
        }
    }
    // Canvases open together share the textures; those of canvases all closed since are
    // made again.
    for (auto& glyph : images)
        if (!glyph->isCached() || !glyph->getProperties()->live())
            glyph->cache(true);
}

Image& RasterGlyphs::image(int code) {
    return *images[static_cast<unsigned>(code) % count];
}

} // namespace Stimora
