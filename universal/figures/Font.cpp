#include "figures/Font.h"

#include "APIFontProperties.h"

namespace Stimora {

namespace {

const char16_t* const fallbackFamily = u"MS UI Gothic";

void appendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF)
        c = 0xFFFD;
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else if (c <= 0x10FFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(u'\xFFFD');
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

Font::Font() = default;

Font::Font(double size_, int weight_, int style_, const std::u16string& family)
    : size(size_), weight(weight_), style(style_) {
    if (family == u"default")
        families.push_back(defaultFont().face());
    else
        families.push_back(family);
}

Font::Font(double size_, int weight_, int style_, const char* family)
    : Font(size_, weight_, style_, utf16(std::string(family ? family : ""))) {}

Font::Font(double size_, int weight_, int style_, const std::string& family)
    : Font(size_, weight_, style_, utf16(family)) {}

Font::Font(double size_, int weight_, int style_, const wchar_t* family)
    : Font(size_, weight_, style_, utf16(std::wstring(family ? family : L""))) {}

Font::~Font() = default;

Font& Font::defaultFont() {
    static Font font(20.0, 400, 0, std::u16string(fallbackFamily));
    return font;
}

std::u16string Font::face() const {
    return families.empty() ? std::u16string(fallbackFamily) : families.front();
}

std::u16string Font::utf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07;
            extra = 3;
        } else {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        bool valid = i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        appendUtf16(out, c);
        i += 1 + extra;
    }
    return out;
}

std::u16string Font::utf16(const std::wstring& wide) {
    std::u16string out;
    out.reserve(wide.size());
    if constexpr (sizeof(wchar_t) == 2) {
        for (wchar_t c : wide)
            out.push_back(static_cast<char16_t>(c));
    } else {
        for (wchar_t c : wide)
            appendUtf16(out, static_cast<char32_t>(c));
    }
    return out;
}

std::string Font::utf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The platform half outlines glyphs by family name, weight and slant; a Font says which.
void APIFontProperties::build(const std::u16string& text, const Font& font) {
    build(text, Font::utf8(font.face()), font.weight == 0 ? 400 : font.weight, (font.style & 0xFF) != 0);
}

} // namespace Stimora
