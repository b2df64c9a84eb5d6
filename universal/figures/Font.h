#pragma once

#include <string>
#include <vector>

namespace Stimora {

/// A font description for outline text: the em size in pixels, a weight on the 100..900
/// scale, an italic flag and the family names. Only the first family is used; a family that
/// is not installed gets the host's closest match.
class Font {
public:
    /// Text height in pixels (the em size).
    double size = 20.0;
    /// 100 (thin) to 900 (black); 0 means normal (400).
    int weight = 0;
    /// Low 8 bits: the italic flag (0 upright).
    int style = 0;
    /// Family names in order of preference; only the first is used.
    std::vector<std::u16string> families;

    /// Size 20, normal weight, upright, no family (builds then use "MS UI Gothic").
    Font();
    /// One family; the family "default" stands for the default font's first family.
    Font(double size, int weight, int style, const std::u16string& family);
    /// The family as UTF-8 text.
    Font(double size, int weight, int style, const char* family);
    /// The family as UTF-8 text.
    Font(double size, int weight, int style, const std::string& family);
    /// The family as a zero-terminated wide string.
    Font(double size, int weight, int style, const wchar_t* family);
    virtual ~Font();

    /// The process-wide default font: size 20, weight 400, upright, family "MS UI Gothic".
    /// Letters made without a font and the canvas's wide-text message use it.
    static Font& defaultFont();

    /// The family a glyph build asks for: the first family, else "MS UI Gothic".
    std::u16string face() const;

    /// UTF-8 to UTF-16 code units (invalid bytes become U+FFFD).
    static std::u16string utf16(const std::string& utf8);
    /// Wide characters (UTF-32 or UTF-16, by the host's wchar_t) to UTF-16 code units;
    /// characters beyond the basic plane become surrogate pairs.
    static std::u16string utf16(const std::wstring& wide);
    /// UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD.
    static std::string utf8(const std::u16string& text);
};

} // namespace Stimora
