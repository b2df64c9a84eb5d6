#include "APIFontProperties.h"
#include "GLCheck.h"

#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <tuple>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "Platform.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

const char* const failedToLoad = "Failed to load font.";

// Curves are flattened until no chord strays more than this far from the curve (em units):
// a tenth of a pixel at 200-pixel text.
constexpr double flatness = 1.0 / 2048.0;

/// A face found for a family, weight and slant, with the synthetic styling fontconfig
/// asks for when the family has no matching face of its own.
struct ResolvedFace {
    FT_Face face = nullptr;
    bool transformed = false;
    FT_Matrix matrix{};
    bool embolden = false;
};

/// FreeType and the faces opened so far; closed at process exit.
class FontLibrary {
public:
    static FontLibrary& instance() {
        static FontLibrary library;
        return library;
    }

    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    ~FontLibrary() {
        for (auto& entry : faces)
            if (entry.second.face)
                FT_Done_Face(entry.second.face);
        if (library)
            FT_Done_FreeType(library);
    }

    /// The face for a family (UTF-8), weight (100..900) and slant; null when none opens.
    const ResolvedFace* resolve(const std::string& family, int weight, bool italic) {
        const auto key = std::make_tuple(family, weight, italic);
        auto found = faces.find(key);
        if (found != faces.end())
            return found->second.face ? &found->second : nullptr;
        ResolvedFace resolved;
        FcPattern* match = matchPattern(family, weight, italic);
        if (match && library) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
                FcPatternGetInteger(match, FC_INDEX, 0, &index);
                if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &resolved.face) != 0)
                    resolved.face = nullptr;
            }
            FcMatrix* matrix = nullptr;
            if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
                resolved.transformed = true;
                resolved.matrix.xx = static_cast<FT_Fixed>(std::lround(matrix->xx * 65536.0));
                resolved.matrix.xy = static_cast<FT_Fixed>(std::lround(matrix->xy * 65536.0));
                resolved.matrix.yx = static_cast<FT_Fixed>(std::lround(matrix->yx * 65536.0));
                resolved.matrix.yy = static_cast<FT_Fixed>(std::lround(matrix->yy * 65536.0));
            }
            FcBool embolden = FcFalse;
            if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
                resolved.embolden = embolden == FcTrue;
        }
        if (match)
            FcPatternDestroy(match);
        auto inserted = faces.emplace(key, resolved).first;
        return inserted->second.face ? &inserted->second : nullptr;
    }

    /// fontconfig's best match for the description, with its styling decisions made.
    static FcPattern* matchPattern(const std::string& family, int weight, bool italic) {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern)
            return nullptr;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        return match;
    }

private:
    FontLibrary() {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }

    FT_Library library = nullptr;
    std::map<std::tuple<std::string, int, bool>, ResolvedFace> faces;
};

using Vertex = std::array<GLdouble, 3>;

/// The flattened contours of one glyph, in em units, y up.
struct Contours {
    std::vector<std::vector<Vertex>> contours;
    double scale = 1.0; // em units per font unit
    Vertex last{};

    Vertex at(const FT_Vector* v) const { return {v->x * scale, v->y * scale, 0.0}; }
    void add(const Vertex& v) {
        contours.back().push_back(v);
        last = v;
    }
};

int moveTo(const FT_Vector* to, void* user) {
    auto& c = *static_cast<Contours*>(user);
    c.contours.emplace_back();
    c.add(c.at(to));
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    auto& c = *static_cast<Contours*>(user);
    c.add(c.at(to));
    return 0;
}

int segmentsFor(double deviation) {
    const int n = static_cast<int>(std::ceil(std::sqrt(deviation / flatness)));
    return n < 1 ? 1 : (n > 64 ? 64 : n);
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto& c = *static_cast<Contours*>(user);
    const Vertex p0 = c.last, p1 = c.at(control), p2 = c.at(to);
    // A quadratic's chord error with n pieces is |p0 - 2 p1 + p2| / (4 n^2).
    const double dx = p0[0] - 2 * p1[0] + p2[0], dy = p0[1] - 2 * p1[1] + p2[1];
    const int n = segmentsFor(std::hypot(dx, dy) / 4.0);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1.0 - t;
        c.add({u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
               u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1], 0.0});
    }
    return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto& c = *static_cast<Contours*>(user);
    const Vertex p0 = c.last, p1 = c.at(control1), p2 = c.at(control2), p3 = c.at(to);
    const double d1 = std::hypot(p0[0] - 2 * p1[0] + p2[0], p0[1] - 2 * p1[1] + p2[1]);
    const double d2 = std::hypot(p1[0] - 2 * p2[0] + p3[0], p1[1] - 2 * p2[1] + p3[1]);
    const int n = segmentsFor(0.75 * (d1 > d2 ? d1 : d2));
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1.0 - t;
        const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
        c.add({a * p0[0] + b * p1[0] + d * p2[0] + e * p3[0], a * p0[1] + b * p1[1] + d * p2[1] + e * p3[1],
               0.0});
    }
    return 0;
}

/// Vertices the tessellator adds where edges cross; kept until the polygon is done.
struct TessellationData {
    std::deque<Vertex> added;
    bool failed = false;
};

void GLAPIENTRY tessBegin(GLenum type, void*) {
    glBegin(type);
}
void GLAPIENTRY tessVertex(void* vertex, void*) {
    glVertex3dv(static_cast<const GLdouble*>(vertex));
}
void GLAPIENTRY tessEnd(void*) {
    glCheck(glEnd());
}
void GLAPIENTRY tessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
    auto& t = *static_cast<TessellationData*>(data);
    t.added.push_back({coords[0], coords[1], coords[2]});
    *out = t.added.back().data();
}
void GLAPIENTRY tessError(GLenum, void* data) {
    static_cast<TessellationData*>(data)->failed = true;
}

/// One GLU tessellator for a build, freed with it.
class Tessellator {
public:
    Tessellator() : tess(gluNewTess()) {
        if (!tess)
            return;
        gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(&tessBegin));
        gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(&tessVertex));
        gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(&tessEnd));
        gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&tessCombine));
        gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(&tessError));
        gluTessNormal(tess, 0.0, 0.0, 1.0);
    }
    ~Tessellator() {
        if (tess)
            gluDeleteTess(tess);
    }
    Tessellator(const Tessellator&) = delete;
    Tessellator& operator=(const Tessellator&) = delete;

    bool valid() const { return tess != nullptr; }

    /// Emits the filled contours as GL primitives; false when the tessellator failed.
    bool fill(Contours& glyph, bool evenOdd) {
        TessellationData data;
        gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                        evenOdd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
        gluTessBeginPolygon(tess, &data);
        for (auto& contour : glyph.contours) {
            // The decomposer closes each contour by repeating its first point.
            std::size_t n = contour.size();
            if (n > 1 && contour[n - 1] == contour[0])
                --n;
            if (n < 3)
                continue;
            gluTessBeginContour(tess);
            for (std::size_t i = 0; i < n; ++i)
                gluTessVertex(tess, contour[i].data(), contour[i].data());
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
        return !data.failed;
    }

private:
    GLUtesselator* tess;
};

} // namespace

const std::uint16_t APIFontProperties::sharedIndices[100] = {
#define STIMORA_TEN(n) n, n + 1, n + 2, n + 3, n + 4, n + 5, n + 6, n + 7, n + 8, n + 9
    STIMORA_TEN(0),  STIMORA_TEN(10), STIMORA_TEN(20), STIMORA_TEN(30), STIMORA_TEN(40),
    STIMORA_TEN(50), STIMORA_TEN(60), STIMORA_TEN(70), STIMORA_TEN(80), STIMORA_TEN(90),
#undef STIMORA_TEN
};

APIFontProperties::APIFontProperties() = default;

APIFontProperties::~APIFontProperties() {
    release();
}

void APIFontProperties::release() {
    if (cached) {
        // Lists end with their set: their names may stand for other lists of a later one.
        if (count > 0 && platformReachObjectSet(objectSet))
            glCheck(glDeleteLists(listBase, static_cast<GLsizei>(count)));
        ownedIndices.reset();
        listBase = 0;
        count = 0;
        indices = nullptr;
        cached = false;
    }
}

void APIFontProperties::build(const std::u16string& text, const std::string& family, int weight,
                              bool italic) {
    release();
    const ResolvedFace* resolved = FontLibrary::instance().resolve(family, weight, italic);
    if (!resolved)
        throw Exception(failedToLoad);
    FT_Face face = resolved->face;
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048.0;

    const auto n = static_cast<GLsizei>(text.size());
    Tessellator tessellator;
    GLuint base = 0;
    if (n > 0) {
        base = glCheckValue(glGenLists(n));
        if (base == 0 || !tessellator.valid()) {
            if (base != 0)
                glCheck(glDeleteLists(base, n));
            throw Exception(failedToLoad);
        }
    }

    FT_Outline_Funcs funcs{};
    funcs.move_to = &moveTo;
    funcs.line_to = &lineTo;
    funcs.conic_to = &conicTo;
    funcs.cubic_to = &cubicTo;

    double totalWidth = 0.0;
    double maxHeight = 0.0;
    for (GLsizei i = 0; i < n; ++i) {
        const FT_UInt glyphIndex = FT_Get_Char_Index(face, text[static_cast<std::size_t>(i)]);
        bool ok = FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE) == 0 &&
                  face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
        double advance = 0.0, blackBoxHeight = 0.0;
        Contours glyph;
        glyph.scale = 1.0 / unitsPerEm;
        if (ok) {
            FT_Outline& outline = face->glyph->outline;
            FT_Pos extra = 0;
            if (resolved->embolden) {
                extra = static_cast<FT_Pos>(unitsPerEm / 24.0);
                FT_Outline_Embolden(&outline, extra);
            }
            if (resolved->transformed)
                FT_Outline_Transform(&outline, &resolved->matrix);
            advance = static_cast<double>(face->glyph->metrics.horiAdvance + extra) / unitsPerEm;
            blackBoxHeight = static_cast<double>(face->glyph->metrics.height) / unitsPerEm;
            if (face->glyph->metrics.horiAdvance == 0)
                advance = blackBoxHeight;
            ok = FT_Outline_Decompose(&outline, &funcs, &glyph) == 0;
            glCheck(glNewList(base + static_cast<GLuint>(i), GL_COMPILE));
            if (ok)
                ok = tessellator.fill(glyph, (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0);
            glCheck(glTranslated(advance, 0.0, 0.0));
            glCheck(glEndList());
        }
        if (!ok) {
            glCheck(glDeleteLists(base, n));
            throw Exception(failedToLoad);
        }
        totalWidth += advance;
        if (blackBoxHeight > maxHeight)
            maxHeight = blackBoxHeight;
    }

    listBase = base;
    count = static_cast<unsigned int>(n);
    width = totalWidth;
    height = maxHeight;
    if (count <= 100) {
        indices = sharedIndices;
    } else {
        ownedIndices.reset(new std::uint16_t[count]);
        for (unsigned int k = 0; k < count; ++k)
            ownedIndices[k] = static_cast<std::uint16_t>(k);
        indices = ownedIndices.get();
    }
    objectSet = platformObjectSet();
    cached = true;
}

bool APIFontProperties::live() const {
    return cached && objectSet != 0 && objectSet == platformObjectSet();
}

std::string APIFontProperties::matchFile(const std::string& family, int weight, bool italic) {
    FcPattern* match = FontLibrary::matchPattern(family, weight == 0 ? 400 : weight, italic);
    std::string path;
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    return path;
}

} // namespace Stimora
