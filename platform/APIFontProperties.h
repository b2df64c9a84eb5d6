#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Stimora {

class Font;

/// The glyph cache of one Letters: one OpenGL display list per UTF-16 code unit of its text,
/// each the filled outline of that glyph in em units (y up) followed by a translation by the
/// glyph's advance, so that calling the lists in order lays the text out. Lists belong to
/// the set of objects the live canvases share (platformObjectSet) and end with it.
class APIFontProperties {
public:
    /// List offsets 0..99, shared by every cache of at most 100 code units.
    static const std::uint16_t sharedIndices[100];

    /// True while the lists exist.
    bool cached = false;
    /// First of count consecutive display-list names.
    unsigned int listBase = 0;
    /// Number of lists: the number of UTF-16 code units of the text.
    unsigned int count = 0;
    /// Sum of the glyph advances, in em units (1.0 = the font size).
    double width = 0.0;
    /// Largest glyph black-box height, in em units.
    double height = 0.0;
    /// count list offsets 0, 1, ..., count - 1: sharedIndices up to 100, else an owned array.
    const std::uint16_t* indices = nullptr;

    APIFontProperties();
    /// Releases the lists.
    virtual ~APIFontProperties();
    APIFontProperties(const APIFontProperties&) = delete;
    APIFontProperties& operator=(const APIFontProperties&) = delete;

    /// Releases any earlier lists, then outlines every code unit of text in font into the
    /// current OpenGL context. The family is looked up by name, weight and slant, with the
    /// host's best match for a family that is not installed. A glyph that cannot be outlined
    /// raises a message-only Exception "Failed to load font." and leaves the cache uncached.
    void build(const std::u16string& text, const Font& font);
    /// The same for a family named in UTF-8, a weight (100..900) and an upright or italic slant.
    void build(const std::u16string& text, const std::string& family, int weight, bool italic);
    /// Deletes the lists (where they still exist) and frees an owned index array; the cache
    /// is then uncached.
    void release();
    /// Whether the lists can be drawn: cached, and a canvas of their set is still open.
    bool live() const;

    /// Path of the font file the host picks for a family (UTF-8), weight (100..900, 0 for
    /// 400) and italic flag; empty when there is none at all.
    static std::string matchFile(const std::string& family, int weight, bool italic);

private:
    std::unique_ptr<std::uint16_t[]> ownedIndices;
    /// The set of objects the lists were made in.
    std::uint64_t objectSet = 0;
};

} // namespace Stimora
