#include "figures/Letters.h"

#include "APIFontProperties.h"
#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Stroke.h"

namespace Stimora {

namespace {

/// Restores a Letters' alignment when a one-off draw ends, thrown or not.
class AlignmentGuard {
public:
    AlignmentGuard(int& alignment, int temporary) : slot(alignment), saved(alignment) { slot = temporary; }
    ~AlignmentGuard() { slot = saved; }
    AlignmentGuard(const AlignmentGuard&) = delete;
    AlignmentGuard& operator=(const AlignmentGuard&) = delete;

private:
    int& slot;
    int saved;
};

} // namespace

Letters::Letters() : font(Font::defaultFont()) {}

Letters::Letters(const std::u16string& string_, const Font& font_) : string(string_), font(font_) {
    cache(true);
}

Letters::Letters(const char16_t* string_, const Font& font_)
    : Letters(std::u16string(string_ ? string_ : u""), font_) {}

Letters::Letters(const wchar_t* string_, const Font& font_)
    : Letters(Font::utf16(std::wstring(string_ ? string_ : L"")), font_) {}

Letters::Letters(const Letters& other)
    : Figure(other), Shape(other), FigureDatum(other), string(other.string), font(other.font),
      alignment(other.alignment) {
    cache(true);
}

Letters& Letters::operator=(const Letters& other) {
    if (this != &other) {
        datum = other.datum;
        string = other.string;
        font = other.font;
        alignment = other.alignment;
        cache(true);
    }
    return *this;
}

Letters::~Letters() {
    defaultTarget().cacheLetters(*this, false);
}

Font& Letters::getFont() {
    return font;
}

std::u16string& Letters::getString() {
    return string;
}

Letters& Letters::setFont(const Font& font_, bool on) {
    font.size = font_.size;
    font.weight = font_.weight;
    font.style = font_.style;
    font.families = font_.families;
    return cache(on);
}

Letters& Letters::setString(const std::u16string& string_, bool on) {
    string = string_;
    return cache(on);
}

Letters& Letters::setString(const std::u16string& string_) {
    return setString(string_, true);
}

Letters& Letters::setString(const wchar_t* string_, bool on) {
    return setString(Font::utf16(std::wstring(string_ ? string_ : L"")), on);
}

Letters& Letters::cache(bool on) {
    defaultTarget().cacheLetters(*this, on);
    return *this;
}

Letters& Letters::centerAt(double x, double y, double z) {
    return centerAt(Point(x, y, z));
}

Letters& Letters::draw(const Color& color, int alignment_, Drawable& target) {
    AlignmentGuard guard(alignment, alignment_);
    target.letters(*this, color);
    return *this;
}

Point Letters::getDatum() const {
    return datum;
}

Letters& Letters::setDatum(const Point& p) {
    datum = p;
    return *this;
}

Letters& Letters::centerAt(const Point& p) {
    alignment = alignCenter;
    datum = p;
    return *this;
}

Letters& Letters::draw(Drawable& target) {
    target.letters(*this, Color(Color::raw, 1.0, 1.0, 1.0, 1.0));
    return *this;
}

Letters& Letters::draw(const Stroke& stroke, Drawable& target) {
    target.letters(*this, stroke.color);
    return *this;
}

Letters& Letters::draw(const Color& color, Drawable& target) {
    target.letters(*this, color);
    return *this;
}

bool Letters::isCached() const {
    return glyphCache && glyphCache->live();
}

void Letters::buildGlyphCache(bool on) {
    if (!on) {
        if (glyphCache)
            glyphCache->release();
        return;
    }
    if (glyphCache)
        glyphCache->release();
    else
        glyphCache = std::make_unique<APIFontProperties>();
    glyphCache->build(string, font);
    width = glyphCache->width * font.size;
    height = glyphCache->height * font.size;
}

} // namespace Stimora
